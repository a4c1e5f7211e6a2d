#include "web/launcher/html_text.h"

namespace {

PageHtml startTag(std::string_view name, const Attributes& attributes) {
    PageHtml html = PageHtml::markup("<" + std::string(name));
    for (const Attribute& attribute : attributes) {
        html += PageHtml::markup(" " + std::string(attribute.name));
        if (attribute.value) html += PageHtml::markup("=\"") + PageHtml(*attribute.value) + PageHtml::markup("\"");
    }
    return html + PageHtml::markup(">");
}

}  // namespace

PageHtml element(std::string_view name, const Attributes& attributes, const PageHtml& content) {
    return startTag(name, attributes) + content + PageHtml::markup("</" + std::string(name) + ">");
}

PageHtml element(std::string_view name, const PageHtml& content) { return element(name, {}, content); }

PageHtml emptyElement(std::string_view name, const Attributes& attributes) { return startTag(name, attributes); }

PageHtml link(const std::string& url, const PageHtml& content, const Attributes& more) {
    Attributes attributes = {{"href", url}};
    attributes.insert(attributes.end(), more.begin(), more.end());
    return element("a", attributes, content);
}
