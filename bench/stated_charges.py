#!/usr/bin/env python3
"""What an MGF of ours states about charges, against the instrument's charges
that the run's export carries (precursorCharge, "charge state"), and what the
precursor-range filter refused that the instrument's charge puts inside it.

    stated_charges.py EXPORT OURS.mgf REJECTS.txt [LOW HIGH]

Prints, per charge stated, how many blocks state it and how many of those
agree with the instrument (by the first scan of the block), the blocks left
to the search engine, and the range refusals (LOW to HIGH, by default 500 to
5000 Da M+H) whose instrument charge puts the precursor inside the range.
"""
import os
import re
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from export_mgf import local, mzml_spectra, mzxml_spectra  # noqa: E402

PROTON = 1.007276


def mzml_positions(export):
    """The 1-based position of each spectrum by its id: the programs number
    an mzML file's spectra by their place in it, whatever their ids say."""
    positions = {}
    for _, element in ET.iterparse(export):
        if local(element.tag) == "spectrum":
            positions[element.get("id", "").rsplit("=", 1)[-1]] = int(element.get("index")) + 1
            element.clear()
    return positions


def instrument(export):
    """Scan number -> (precursor m/z, the instrument's charge or 0)."""
    if export.lower().endswith(".mzxml"):
        return {int(scan): (mz, charge) for scan, mz, charge, *_ in mzxml_spectra(export)}
    positions = mzml_positions(export)
    return {positions[scan]: (mz, charge) for scan, mz, charge, *_ in mzml_spectra(export)}


def stated(mgf):
    """(first scan, stated charge or 0) of every block."""
    blocks, charge, scan = [], 0, None
    with open(mgf) as text:
        for line in text:
            line = line.strip()
            if line == "BEGIN IONS":
                charge, scan = 0, None
            elif line.startswith("CHARGE="):
                charge = int(line[7:].rstrip("+-"))
            elif line.startswith("SCANS="):
                scan = int(line[6:].split("-")[0])
            elif line == "END IONS":
                blocks.append((scan, charge))
    return blocks


def main():
    export, mgf, rejects = sys.argv[1:4]
    low, high = (float(v) for v in sys.argv[4:6]) if len(sys.argv) > 5 else (500.0, 5000.0)
    reference = instrument(export)
    per_charge = {}
    for scan, charge in stated(mgf):
        total, agree = per_charge.get(charge, (0, 0))
        truth = reference.get(scan, (0, 0))[1]
        per_charge[charge] = (total + 1, agree + (charge != 0 and charge == truth))
    for charge in sorted(per_charge):
        total, agree = per_charge[charge]
        label = f"stated {charge}+" if charge else "no CHARGE line"
        print(f"{label}\t{total}" + (f"\tagreeing with the instrument {agree}" if charge else ""))
    refused = inside = 0
    with open(rejects) as text:
        for line in text:
            fields = line.rstrip("\n").split("\t")
            # Refused by the range: at the one charge judged, or at every charge tried.
            parts = fields[2].split("; ") if len(fields) >= 3 else []
            if not parts or not all(" outside range " in part and "scan #" not in part for part in parts):
                continue
            match = re.match(r".*\.(\d+)\.(\d+)\.(\d+)\.pkl$", fields[0])
            if not match or int(match.group(1)) not in reference:
                continue
            refused += 1
            mz, z = reference[int(match.group(1))]
            if z and low <= z * mz - (z - 1) * PROTON <= high:
                inside += 1
    print(f"refused by the precursor range\t{refused}\tinside it at the instrument's charge\t{inside}")


if __name__ == "__main__":
    main()
