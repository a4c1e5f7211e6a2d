#include "web/launcher/page_frame.h"

#include "web/launcher/html_text.h"

namespace {

std::string statusLine(int status) {
    switch (status) {
        case 400: return "400 Bad Request";
        case 403: return "403 Forbidden";
        case 404: return "404 Not Found";
        case 413: return "413 Content Too Large";
        case 503: return "503 Service Unavailable";
        default: return "500 Internal Server Error";
    }
}

}  // namespace

std::string pageStart(std::string_view title) {
    const std::string escaped = escapeHtml(title);
    return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>Velmora Quarrow - " + escaped +
           "</title>\n<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrforms.css\" type=\"text/css\">\n"
           "<link rel=\"stylesheet\" href=\"/quarrowhtml/vqrsumprint.css\" type=\"text/css\" media=\"print\">\n"
           "</head>\n<body>\n<nav><a href=\"/\">Velmora Quarrow</a> | <a href=\"/yepharvest.html\">yepharvest</a> | "
           "<a href=\"/wiffharvest.html\">wiffharvest</a> | <a href=\"/cgi-bin/results\">results</a></nav>\n<h1>" +
           escaped + "</h1>\n";
}

std::string pageEnd() { return "</body>\n</html>\n"; }

std::string errorResponse(int status, std::string_view title, std::string_view reason) {
    return "Status: " + statusLine(status) + "\n" + htmlHeader + pageStart(title) + "<p class=\"refusal\">" +
           escapeHtml(reason) + "</p>\n" + pageEnd();
}
