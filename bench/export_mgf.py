#!/usr/bin/env python3
"""Every MS/MS spectrum of an mzML or mzXML export as one MGF block, as the
export holds it: the instrument's precursor m/z and, with --charges, its
precursor charge. The identification benchmark's baselines.

    export_mgf.py EXPORT OUT.mgf [--charges]
"""
import base64
import struct
import sys
import xml.etree.ElementTree as ET
import zlib


def local(tag):
    return tag.rsplit("}", 1)[-1]


def decode(text, precision, compressed, big_endian):
    raw = base64.b64decode(text or "")
    if compressed:
        raw = zlib.decompress(raw)
    code = "d" if precision == 64 else "f"
    count = len(raw) // (precision // 8)
    return struct.unpack(("!" if big_endian else "<") + code * count, raw)


def mzxml_spectra(path):
    for _, element in ET.iterparse(path):
        if local(element.tag) != "scan":
            continue
        if element.get("msLevel") == "2":
            precursor = next((c for c in element if local(c.tag) == "precursorMz"), None)
            peaks = next((c for c in element if local(c.tag) == "peaks"), None)
            if precursor is not None and peaks is not None:
                values = decode(peaks.text, int(peaks.get("precision", "32")),
                                peaks.get("compressionType") == "zlib", True)
                rt = element.get("retentionTime", "PT0S")[2:-1]
                charge = precursor.get("precursorCharge")
                yield (element.get("num"), float(precursor.text), int(charge) if charge else 0, float(rt),
                       list(zip(values[0::2], values[1::2])))
        element.clear()


def mzml_spectra(path):
    for _, element in ET.iterparse(path):
        if local(element.tag) != "spectrum":
            continue
        params = {p.get("name"): p.get("value") for p in element.iter() if local(p.tag) == "cvParam"}
        if params.get("ms level") == "2" and "selected ion m/z" in params:
            arrays = {}
            for array in (a for a in element.iter() if local(a.tag) == "binaryDataArray"):
                names = {p.get("name") for p in array if local(p.tag) == "cvParam"}
                binary = next(c for c in array if local(c.tag) == "binary")
                values = decode(binary.text, 64 if "64-bit float" in names else 32,
                                "zlib compression" in names, False)
                arrays["mz" if "m/z array" in names else "intensity" if "intensity array" in names else "other"] = values
            charge = params.get("charge state")
            scan = element.get("id", "").rsplit("=", 1)[-1]
            yield (scan, float(params["selected ion m/z"]), int(charge) if charge else 0,
                   float(params.get("scan start time", "0")), list(zip(arrays.get("mz", ()), arrays.get("intensity", ()))))
        element.clear()


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    export, output = sys.argv[1], sys.argv[2]
    with_charges = "--charges" in sys.argv[3:]
    spectra = mzxml_spectra(export) if ".mzxml" in export.lower() else mzml_spectra(export)
    with open(output, "w") as out:
        for scan, mz, charge, rt, peaks in spectra:
            out.write(f"BEGIN IONS\nTITLE=scan.{scan}\nPEPMASS={mz:.5f}\n")
            if with_charges and charge:
                out.write(f"CHARGE={charge}+\n")
            out.write(f"SCANS={scan}\nRTINSECONDS={rt:.3f}\n")
            out.write("".join(f"{m:.4f} {i:.1f}\n" for m, i in peaks if i > 0))
            out.write("END IONS\n")


if __name__ == "__main__":
    main()
