"""What a program's progress page says about a failure, and the notice that
heads the page of a failed run.

yepharvest and wiffharvest print HTML to standard output; a run that fails
prints its error in one of a few shapes and then, often, the remaining
progress lines, so the page alone reads as if every stage had been done.
The workflow puts one line before such a page saying that the run failed and
why; `read_notice` takes it back for failed.tsv and the overview page.
"""

import html
import re
import signal

from html_text import text

# The shapes of the programs' error texts, each with the text that matters in
# group 1: the fatal error page, the plain banner printed before the page is
# set up, an export that cannot be opened (its description follows the code),
# a .wiff error (the description before the system's message), and the
# single "Error:" lines.
_ERROR_SHAPES = [
    re.compile(r"Error Message</H2><HR />(.*?)</BODY>", re.DOTALL),
    re.compile(r"ERROR MESSAGE\n-------------\n\n(.*)", re.DOTALL),
    re.compile(r"<BR>Error opening analysis file\.\n<BR>MSAnalysis\.Open\(\) returned following HRESULT:<BR>-?\d+\n"
               r"(?:<BR>)?(.*)"),
    re.compile(r"Description:(.*?)\r?\nError Message:", re.DOTALL),
    re.compile(r"(?:^|<BR>)Error: (.*)", re.MULTILINE),
    re.compile(r"(A non-COM exception has been thrown)"),
]
_TAG = re.compile(r"<[^>]*>")
_NOTICE = re.compile(r'<P class="failed"><B>Run failed</B> \(([^,<]*), ([^)<]*)\): (.*)</P>\n')


def plain_text(fragment):
    """A piece of the page as one line of plain text: tags and line breaks
    become spaces, character references their characters."""
    return " ".join(html.unescape(_TAG.sub(" ", fragment)).split())


def error_sentence(page):
    """The first error the program printed, as plain text, or None."""
    first = None
    for shape in _ERROR_SHAPES:
        match = shape.search(page)
        if match and (first is None or match.start() < first.start()):
            first = match
    if first is None:
        return None
    said = plain_text(first.group(1))
    return said or ("Error opening analysis file." if "Error opening" in first.group(0) else None)


def how_it_ended(status):
    """'exit status 1', or 'signal 15' for a program that a signal stopped
    (a negative status, as subprocess gives it)."""
    return f"signal {-status}" if status < 0 else f"exit status {status}"


def failure_notice(program, status, page):
    """The line that heads the page of a failed run."""
    sentence = error_sentence(page)
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
