// libxml2's reading of a document, for the xml_tokens target.
#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include "tests/fuzz/xml_tokens_events.h"

namespace {

Tokens* libxmlTokens = nullptr;

std::string_view view(const xmlChar* text) { return text == nullptr ? std::string_view() : reinterpret_cast<const char*>(text); }

void onStart(void*, const xmlChar* name, const xmlChar** attributes) {
    libxmlTokens->start(view(name));
    for (const xmlChar** a = attributes; a != nullptr && *a != nullptr; a += 2) libxmlTokens->attribute(view(a[0]), view(a[1]));
}
void onEnd(void*, const xmlChar* name) { libxmlTokens->end(view(name)); }
void onCharacters(void*, const xmlChar* text, int length) {
    libxmlTokens->text(std::string_view(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length)));
}
void quiet(void*, const char*, ...) {}

}  // namespace

std::optional<Tokens> libxmlReading(std::string_view text) {
    Tokens tokens;
    libxmlTokens = &tokens;
    xmlParserCtxtPtr context = xmlCreateMemoryParserCtxt(text.data(), static_cast<int>(text.size()));
    if (context == nullptr) return std::nullopt;
    // Entities substituted: else libxml2 hands "&amp;" in an attribute on as
    // "&#38;". Documents that could name an external entity never get here.
    xmlCtxtUseOptions(context, XML_PARSE_SAX1 | XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    // Element events the old way (no namespace processing), as the
    // tokenizer gives them; the document type still goes to libxml2's own
    // handlers, so that declared entities are known.
    xmlSAXHandler* sax = context->sax;
    sax->startElementNs = nullptr;
    sax->endElementNs = nullptr;
    sax->startElement = onStart;
    sax->endElement = onEnd;
    sax->characters = onCharacters;
    sax->ignorableWhitespace = onCharacters;
    sax->cdataBlock = onCharacters;
    sax->reference = nullptr;
    sax->warning = quiet;
    sax->error = quiet;
    xmlParseDocument(context);
    const bool wellFormed = context->wellFormed != 0;
    if (context->myDoc != nullptr) xmlFreeDoc(context->myDoc);
    xmlFreeParserCtxt(context);
    libxmlTokens = nullptr;
    if (!wellFormed) return std::nullopt;
    return tokens;
}

