#include "web/launcher/page_frame.h"

#include "web/launcher/html_text.h"

namespace {

std::string statusLine(int status) {
    switch (status) {
        case 400: return "400 Bad Request";
        case 403: return "403 Forbidden";
        case 404: return "404 Not Found";
        case 405: return "405 Method Not Allowed";
        case 413: return "413 Content Too Large";
        case 503: return "503 Service Unavailable";
        case 507: return "507 Insufficient Storage";
        default: return "500 Internal Server Error";
    }
}

}  // namespace

std::string htmlHeader(int status) {
    const std::string type = "Content-Type: text/html; charset=utf-8\n\n";
    return status == 200 ? type : "Status: " + statusLine(status) + "\n" + type;
}

PageHtml pageStart(std::string_view title) {
    const auto style = [](const char* sheet, const char* media) {
        Attributes attributes = {{"rel", "stylesheet"}, {"href", sheet}, {"type", "text/css"}};
        if (media != nullptr) attributes.push_back({"media", media});
        return emptyElement("link", attributes);
    };
    const PageHtml nav = link("/", PageHtml("Velmora Quarrow")) + PageHtml(" | ") +
                         link("/cgi-bin/yepharvest", PageHtml("yepharvest")) + PageHtml(" | ") +
                         link("/cgi-bin/wiffharvest", PageHtml("wiffharvest")) + PageHtml(" | ") +
                         link("/cgi-bin/results", PageHtml("results"));
    return PageHtml::markup("<!DOCTYPE html>\n<html>\n<head>\n") + emptyElement("meta", {{"charset", "utf-8"}}) +
           element("title", PageHtml("Velmora Quarrow - " + std::string(title))) + PageHtml::markup("\n") +
           style("/quarrowhtml/vqrforms.css", nullptr) + style("/quarrowhtml/vqrsumprint.css", "print") +
           PageHtml::markup("\n</head>\n<body>\n") + element("nav", nav) + PageHtml::markup("\n") +
           element("h1", PageHtml(title)) + PageHtml::markup("\n");
}

PageHtml pageEnd() { return PageHtml::markup("</body>\n</html>\n"); }

std::string errorResponse(int status, std::string_view title, std::string_view reason, const PageHtml& next) {
    PageHtml html = pageStart(title) + element("p", {{"class", "refusal"}}, PageHtml(reason)) + PageHtml::markup("\n");
    if (!next.html().empty()) html += element("p", {{"class", "next"}}, next) + PageHtml::markup("\n");
    return htmlHeader(status) + (html + pageEnd()).html();
}
