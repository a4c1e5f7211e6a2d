#include "web/launcher/form_page.h"

#include "web/launcher/form_fields.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"

namespace {

std::string option(const std::string& value, const std::string& label, bool selected) {
    return "<option value=\"" + escapeHtml(value) + "\"" + (selected ? " selected" : "") + ">" + escapeHtml(label) +
           "</option>";
}

std::string control(const FormField& field, const FormPageInputs& inputs) {
    const std::string id = escapeHtml(field.key);
    const std::string common = "id=\"" + id + "\" name=\"" + id + "\"";
    switch (field.kind) {
        case FieldKind::Integer:
            return "<input type=\"number\" step=\"1\" required " + common + " value=\"" +
                   escapeHtml(field.defaultValue) + "\">";
        case FieldKind::Real:
            return "<input type=\"number\" step=\"any\" required " + common + " value=\"" +
                   escapeHtml(field.defaultValue) + "\">";
        case FieldKind::Choice: {
            std::string html = "<select " + common + ">";
            for (const FieldChoice& choice : field.choices) {
                html += option(choice.value, choice.label, choice.value == field.defaultValue);
            }
            return html + "</select>";
        }
        case FieldKind::Cysteine: {
            std::string html = "<select " + common + ">";
            for (const std::string& name : inputs.cysteines) html += option(name, name, name == field.defaultValue);
            return html + "</select>";
        }
        case FieldKind::Text: break;
    }
    const bool dataFile = field.key == "xtractorDataFilename";
    return "<input type=\"text\" size=\"60\" " + common + (dataFile ? " required" : "") + " value=\"" +
           escapeHtml(field.defaultValue) + "\">";
}

// Picking a run fills in the data file; the picker itself is not sent.
std::string runPicker(const FormPageInputs& inputs) {
    std::string html = "<div class=\"field\"><label for=\"runPicker\">Runs found</label><select id=\"runPicker\" "
                       "onchange=\"if (this.value) document.getElementById('xtractorDataFilename').value = this.value\">";
    html += option("", inputs.runs.empty() ? "(no runs under the data root)" : "(pick a run)", true);
    for (const std::string& run : inputs.runs) html += option(run, run, false);
    return html + "</select><div class=\"help\">Runs under the data root " + escapeHtml(inputs.dataRoot) +
           " when the server started.</div></div>\n";
}

}  // namespace

std::string formPage(const FormPageInputs& inputs) {
    std::string html = pageStart(inputs.program);
    html += "<p>Peak lists and logs go under the results root " + escapeHtml(inputs.resultsRoot) +
            "; the program's progress lines and the links to its files follow on the next page.</p>\n";
    html += "<form method=\"post\" action=\"/cgi-bin/" + escapeHtml(inputs.program) + "\" id=\"extraction\">\n";
    const std::vector<FormField> fields = formFields(inputs.program);
    for (const std::string& group : formGroups()) {
        html += "<fieldset>\n<legend>" + escapeHtml(group) + "</legend>\n";
        for (const FormField& field : fields) {
            if (field.group != group) continue;
            html += "<div class=\"field\"><label for=\"" + escapeHtml(field.key) + "\">" + escapeHtml(field.label) +
                    " <code>" + escapeHtml(field.key) + "</code></label>" + control(field, inputs) + "<div class=\"help\">" + escapeHtml(field.help) +
                    "</div></div>\n";
            if (field.key == "xtractorDataFilename") html += runPicker(inputs);
        }
        html += "</fieldset>\n";
    }
    html += "<p><button type=\"submit\" id=\"submit\">Extract peak lists</button></p>\n</form>\n";
    return html + pageEnd();
}
