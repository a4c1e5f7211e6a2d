"""Text from runs (names, paths, error sentences) as it may stand in the
workflow's pages: every page of the workflow escapes through `text`."""

import html


def text(value):
    """Escaped for element content and attribute values alike."""
    return html.escape(str(value), quote=True)
