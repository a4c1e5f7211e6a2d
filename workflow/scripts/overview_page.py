"""results/index.html: every run of the workflow on one self-contained page
(inline style and SVG, no script, nothing fetched), like the run report.

One table row per LC run (a .wiff file's samples each) with its counts,
the shares of the charges its MGF states, how many of them agree with the
instrument's (where the export carries them) and links to its MGF file (and
any other peak list written), the run's report, page and logs, one
row per run that failed; a warning for each LC run whose written spectra are
more than 10 % 1+; then written spectra and the charge distribution of each
LC run as charts. Every text from the runs reaches the page through `text` or `link`.
"""

import urllib.parse

from html_text import text

# The charge colours of the run report (tools/report/report_page.cpp).
CHARGE_COLOURS = {1: "#e69f00", 2: "#0072b2", 3: "#009e73", 4: "#cc79a7", 5: "#d55e00", 0: "#8a8f98"}

STYLE = """
body { font-family: "DejaVu Sans", "Helvetica Neue", Arial, sans-serif; color: #1f2530; background: #f6f7f9; margin: 0; }
main { max-width: 1200px; margin: 0 auto; padding: 24px 28px 40px; background: #fff; }
h1 { font-size: 26px; margin: 0 0 6px; }
h2 { font-size: 19px; margin: 34px 0 10px; padding-bottom: 4px; border-bottom: 2px solid #e3e6ea; }
p.meta { color: #4a5260; margin: 2px 0; font-size: 14px; }
.failures { background: #fdecea; border-left: 5px solid #c0392b; padding: 8px 16px; margin-top: 18px; }
.failures li, .warnings li { margin: 4px 0; }
.warnings { background: #fdf6e3; border-left: 5px solid #e69f00; padding: 8px 16px; margin-top: 18px; }
table { border-collapse: collapse; margin: 10px 0; font-size: 13px; }
th, td { border-bottom: 1px solid #e3e6ea; padding: 4px 8px; text-align: left; vertical-align: top; }
td.number, th.number { text-align: right; font-variant-numeric: tabular-nums; }
th { background: #f0f2f5; }
tr.failed td { background: #fdf3f2; }
span.sample { color: #4a5260; font-size: 12px; }
svg.chart { max-width: 100%; height: auto; display: block; margin: 12px 0 4px; }
svg.chart text { font-family: "DejaVu Sans", Arial, sans-serif; font-size: 12px; fill: #1f2530; }
"""


def link(path, label):
    """A link to a file below the results folder, which holds this page."""
    return f'<a href="{text(urllib.parse.quote(path))}">{text(label)}</a>'


def charge_parts(row):
    """[(charge, count)] of the written spectra as the MGF states them, charge
    0 for none (the search engine tries the charges); without the report's
    table, the decided charges of the statistics block, 0 for undetermined."""
    if "stated" in row:
        parts = sorted((charge, count) for charge, count in row["stated"].items() if charge)
        return [(charge, count) for charge, count in parts if count] + (
            [(0, row["stated"][0])] if row["stated"].get(0) else [])
    parts = sorted(row["charges"].items())
    return [(charge, count) for charge, count in parts if count] + (
        [(0, row["charge_undetermined"])] if row["charge_undetermined"] else [])


def charge_label(charge):
    return "no charge" if charge == 0 else f"{charge}+"


def share_text(row):
    total = sum(count for _, count in charge_parts(row))
    if total == 0:
        return "&mdash;"
    return ", ".join(f"{text(charge_label(c))} {100.0 * n / total:.0f}&nbsp;%" for c, n in charge_parts(row))


def agreement_text(row):
    """Written charges that agree with the instrument's, of those it gives."""
    if not row.get("instrument_charged") or not row.get("charges_written"):
        return "&mdash;"
    agreeing, written = row["charges_agreeing"], row["charges_written"]
    return f"{agreeing} of {written} ({100.0 * agreeing / written:.0f}&nbsp;%)"


def singly_charged(row):
    """The written spectra given 1+: stated by the MGF, else decided."""
    return row["stated"].get(1, 0) if "stated" in row else row["charges"].get(1, 0)


def singly_charged_share(row):
    """The share of 1+ among the written spectra, when above 10 %."""
    ones, written = singly_charged(row), row["written"]
    return ones / written if written and ones * 10 > written else None


def number(value):
    return f'<td class="number">{"&mdash;" if value == "" else text(value)}</td>'


def peak_list_links(outcome, output_name=None):
    """The MGF files a search engine takes, each by name (a .wiff file's
    sample row its own, when it has one); .pkl files, a file per spectrum,
    as one link to their folder."""
    files = outcome.get("peak_lists", [])
    mgf = [path for path in files if path.endswith(".mgf")]
    own = [path for path in mgf if path.rsplit("/", 1)[-1] == f"{output_name}.mgf"]
    links = [link(path, path.rsplit("/", 1)[-1]) for path in (own or mgf)]
    others = [path for path in files if not path.endswith(".mgf")]
    if others:
        folder = others[0].rsplit("/", 1)[0] + "/"
        kinds = sorted({path.rsplit(".", 1)[-1] for path in others if "." in path.rsplit("/", 1)[-1]})
        label = f"{len(others)} " + (f".{kinds[0]} " if len(kinds) == 1 else "other ") + (
            "file" if len(others) == 1 else "files")
        links.append(link(folder, label))
    return links


def run_links(outcome, output_name=None):
    folder = f"runs/{outcome['run']}/"
    links = peak_list_links(outcome, output_name)
    links += [link(outcome["report"], "report")] if outcome["report"] else []
    if outcome["log"]:
        links.append(link(outcome["log"], "progress"))
    if outcome["status"] == "done":
        links += [link(folder + "logs/" + name, label) for name, label in
                  (("runStats.txt", "statistics"), ("xtractorRejectReasons.txt", "rejects"),
                   ("parentChargeCheck.txt", "charges"))]
    return " &middot; ".join(links)


def table(rows, outcomes):
    head = ("<tr><th>run</th><th>program</th><th>status</th><th class=\"number\">spectra read</th>"
            "<th class=\"number\">merged</th><th class=\"number\">written</th><th class=\"number\">rejected</th>"
            "<th class=\"number\">peak lists</th><th class=\"number\">MGF spectra</th><th>charges</th>"
            "<th>charges agreeing with the instrument's</th><th>links</th></tr>\n")
    body = []
    for outcome in outcomes:
        own = [row for row in rows if row["run"] == outcome["run"]]
        for row in own:
            name = text(row["output_name"]) + (f' <span class="sample">{text(row["sample_name"])}</span>'
                                               if row["program"] == "wiffharvest" else "")
            body.append(f"<tr><td>{name}</td><td>{text(row['program'])}</td><td>done</td>"
                        + "".join(number(row[key]) for key in ("spectra_read", "merged", "written", "rejected",
                                                               "peak_lists", "mgf_spectra"))
                        + f"<td>{share_text(row)}</td><td>{agreement_text(row)}</td>"
                        + f"<td>{run_links(outcome, row['output_name'])}</td></tr>\n")
        if not own:
            body.append(f"<tr class=\"failed\"><td>{text(outcome['run'])}</td><td>{text(outcome['program'])}</td>"
                        f"<td>{text(outcome['status'])}</td>"
                        f"<td colspan=\"8\">{text(outcome['error'])}</td><td>{run_links(outcome)}</td></tr>\n")
    return "<table>\n" + head + "".join(body) + "</table>\n"


def bar_chart(rows, title):
    """Written spectra of each LC run, one bar each."""
    left, width, row_height = 170, 420, 20
    most = max([row["written"] for row in rows] + [1])
    height = 30 + row_height * len(rows)
    parts = [f'<svg class="chart" width="{left + width + 70}" height="{height}" role="img">',
             f"<title>{text(title)}</title>"]
    for i, row in enumerate(rows):
        y = 24 + i * row_height
        length = width * row["written"] / most
        parts.append(f'<text x="{left - 8}" y="{y + 13}" text-anchor="end">{text(row["output_name"])}</text>'
                     f'<rect x="{left}" y="{y + 3}" width="{length:.1f}" height="{row_height - 6}" fill="#0072b2">'
                     f'<title>{text(row["output_name"])}: {row["written"]} written</title></rect>'
                     f'<text x="{left + length + 6:.1f}" y="{y + 13}">{row["written"]}</text>')
    parts.append(f'<text x="{left}" y="14">{text(title)}</text></svg>')
    return "\n".join(parts)


def charge_chart(rows, title):
    """The charges of each LC run's written spectra as shares of one bar."""
    left, width, row_height = 170, 420, 20
    charges = sorted({c for row in rows for c, _ in charge_parts(row)}, key=lambda c: (c == 0, c))
    height = 50 + row_height * len(rows)
    parts = [f'<svg class="chart" width="{left + width + 20}" height="{height}" role="img">',
             f"<title>{text(title)}</title>", f'<text x="{left}" y="14">{text(title)}</text>']
    for i, charge in enumerate(charges):
        x = left + i * 90
        parts.append(f'<rect x="{x}" y="22" width="12" height="12" fill="{CHARGE_COLOURS.get(charge, "#d55e00")}"/>'
                     f'<text x="{x + 16}" y="32">{text(charge_label(charge))}</text>')
    for i, row in enumerate(rows):
        y = 44 + i * row_height
        parts.append(f'<text x="{left - 8}" y="{y + 13}" text-anchor="end">{text(row["output_name"])}</text>')
        total = sum(count for _, count in charge_parts(row))
        x = float(left)
        for charge, count in charge_parts(row):
            length = width * count / total
            parts.append(f'<rect x="{x:.1f}" y="{y + 3}" width="{length:.1f}" height="{row_height - 6}" '
                         f'fill="{CHARGE_COLOURS.get(charge, "#d55e00")}"><title>{text(row["output_name"])}: '
                         f"{text(charge_label(charge))} {count} of {total}</title></rect>")
            x += length
    parts.append("</svg>")
    return "\n".join(parts)


def page(rows, outcomes):
    failed = [o for o in outcomes if o["status"] != "done"]
    title = f"Quarrow runs: {len(outcomes)} runs, {len(rows)} LC runs read"
    parts = ["<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">",
             f"<title>{text(title)}</title>\n<style>{STYLE}</style>\n</head>\n<body>\n<main>",
             f"<h1>{text(title)}</h1>",
             "<p class=\"meta\">One row per LC run: a run folder or export of yepharvest, or one sample of a "
             ".wiff file. The merged logs are in <code>logs/</code>, the same counts in "
             "<code>summary.tsv</code>, the runs that failed in <code>failed.tsv</code>.</p>"]
    if failed:
        items = "".join(f"<li><b>{text(o['run'])}</b> ({text(o['program'])}): {text(o['error'])}"
                        + (f" &middot; {link(o['log'], 'progress')}" if o["log"] else "") + "</li>\n" for o in failed)
        left_out = " or were left out" if any(o["status"] == "left out" for o in failed) else ""
        parts.append(f"<div class=\"failures\"><h2>{len(failed)} of {len(outcomes)} runs failed{left_out}</h2>\n"
                     f"<ul>\n{items}</ul></div>")
    singly = [(row, singly_charged_share(row)) for row in rows if singly_charged_share(row) is not None]
    if singly:
        items = "".join(f"<li><b>{text(row['output_name'])}</b>: {singly_charged(row)} of {row['written']} "
                        f"written spectra ({100.0 * share:.0f}&nbsp;%) are given 1+</li>\n" for row, share in singly)
        parts.append("<div class=\"warnings\" id=\"singly-charged\"><h2>More than 10&nbsp;% of the written spectra "
                     f"are 1+</h2>\n<ul>\n{items}</ul><p class=\"meta\">Tryptic peptides seldom are: these charges "
                     "are probably wrong, and a search engine searches a stated charge alone.</p></div>")
    if any(row["rejected"] == "" for row in rows):
        parts.append("<p class=\"meta\">&mdash; in <i>rejected</i>: the reject rows of a .wiff file's samples "
                     "could not be told apart (a scan range rejects survey scans too).</p>")
    parts += ["<h2>Runs</h2>", table(rows, outcomes)]
    charted = [row for row in rows if charge_parts(row)]
    if rows:
        parts += ["<h2>Written spectra</h2>", bar_chart(rows, "Spectra written per LC run")]
    if charted:
        parts += ["<h2>Charges</h2>", charge_chart(charted, "Charge the MGF states for the written spectra, as shares "
                                                            "(no charge: the search engine tries the charges)")]
    parts.append("</main>\n</body>\n</html>\n")
    return "\n".join(parts)
