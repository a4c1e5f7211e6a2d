#pragma once
// Splits a text the way the parameter files, the query lists and the page
// lines have always been split: runs of separators count as one, so empty
// pieces never appear.
#include <string_view>

class Tokenizer {
public:
    Tokenizer(std::string_view text, std::string_view separators) : text_(text), separators_(separators) {}

    // The next piece; false when the text has none left.
    bool next(std::string_view& piece) {
        position_ = text_.find_first_not_of(separators_, position_);
        if (position_ == std::string_view::npos) return false;
        std::size_t end = text_.find_first_of(separators_, position_);
        if (end == std::string_view::npos) end = text_.size();
        piece = text_.substr(position_, end - position_);
        position_ = end;
        return true;
    }

private:
    std::string_view text_;
    std::string_view separators_;
    std::size_t position_ = 0;
};
