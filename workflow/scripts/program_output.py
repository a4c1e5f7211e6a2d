"""What a failed run of a program says about its failure, and the notice
that heads its page.

yepharvest and wiffharvest print HTML to standard output; a run that fails
prints its error there for people and then, often, the remaining progress
lines, so the page alone reads as if every stage had been done. For
programs, a failing run also writes one line on standard error (which the
workflow keeps in the page): "quarrow-failure", its exit status and the
first sentence of its error, tab-separated. The workflow puts one line
before such a page saying that the run failed and why; `read_notice` takes
it back for failed.tsv and the overview page.
"""

import html
import re
import signal

from html_text import text

# Standard error is kept in the page, so the line may follow the page's
# last bytes, which end without a line feed.
_FAILURE_LINE = re.compile(r"quarrow-failure\t(\d+)\t([^\n]*)")
_NOTICE = re.compile(r'<P class="failed"><B>Run failed</B> \(([^,<]*), ([^)<]*)\): (.*)</P>\n')


def failure_sentence(output):
    """The sentence of the last failure line in what the program wrote, or
    None."""
    lines = _FAILURE_LINE.findall(output)
    return (lines[-1][1].strip() or None) if lines else None


def how_it_ended(status):
    """'exit status 1', or 'signal 15' for a program that a signal stopped
    (a negative status, as subprocess gives it)."""
    return f"signal {-status}" if status < 0 else f"exit status {status}"


def failure_notice(program, status, page):
    """The line that heads the page of a failed run."""
    sentence = failure_sentence(page)
    if sentence is None and status in (-signal.SIGTERM, -signal.SIGKILL):
        sentence = "stopped before it printed an error (by a limit of the cluster, or cancelled)"
    elif sentence is None:
        sentence = "crashed before it printed an error" if status < 0 else "no error message: see the page below"
    return (f'<P class="failed"><B>Run failed</B> ({text(program)}, {how_it_ended(status)}): '
            f"{text(sentence)}</P>\n")


def read_notice(page):
    """(program, how it ended, error sentence) of a page headed by a failure
    notice, or None."""
    match = _NOTICE.match(page)
    if not match:
        return None
    return tuple(html.unescape(group) for group in match.groups())
