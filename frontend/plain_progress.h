#pragma once
// The programs print HTML for a browser: progress lines that begin with
// "<BR>", a page head, and on a fatal error an error page. On a terminal the
// same output reads as plain lines: tags dropped, "<BR>", line feeds and
// block tags ending lines, character references decoded, the head's text
// (the page title) left out, blank lines dropped. After a reading error the
// progress ends where the stages would begin, unless the run goes on with
// the spectra read before it.
#include <string>
#include <string_view>

class PlainProgress {
public:
    // The lines that these bytes complete, each ending in "\n". A tag or a
    // reference cut in two by the pipe waits for the rest.
    std::string feed(std::string_view bytes);
    // Whatever is left when the output has ended.
    std::string finish();

private:
    std::string convert(bool atEnd);
    void endLine(std::string& out);
    // Handles the tag at the start of pending_ (which holds all of it).
    void tag(std::string_view text, std::string& out);

    std::string pending_;  // bytes not converted yet
    std::string line_;
    bool inHead_ = false;
    bool afterError_ = false;    // an error line was shown
    bool endedAtError_ = false;  // the stages after it are not shown
};
