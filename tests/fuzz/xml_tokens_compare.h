#pragma once
// The reader's hand-written XML tokenizer against libxml2 on the same bytes,
// for the xml_tokens fuzz target and for the plain test suite's corpus.
#include <string>
#include <string_view>

// Whether libxml2 should be given the document at all: it converts other
// encodings and follows external declarations, which the reader never does.
bool xmlComparable(std::string_view text);

// Where libxml2 reads a document as well formed, the tokenizer must give the
// same elements, attributes (their values decoded) and character data inside
// the root element, or refuse an entity of the document type, which the
// reader does not support. Where libxml2 refuses, the tokenizer must refuse
// too when `strict` (a fixed corpus of damaged shapes); else it may read on
// (the reader's own checks judge the content). "" when they agree, else how
// they differ; "" also for a document not `xmlComparable`, which only the
// tokenizer reads.
std::string xmlTokensDisagreement(std::string_view text, bool strict);
