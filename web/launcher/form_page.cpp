#include "web/launcher/form_page.h"

#include <algorithm>
#include <cstdio>

#include "tools/keys/key_listing.h"
#include "web/launcher/form_fields.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"

namespace {

// The run picker fills in the data file; a lower bound that the value must
// lie above has no attribute of its own in HTML.
constexpr const char* formScript = R"(<script>
document.getElementById('runPicker').addEventListener('change', (event) => {
    if (event.target.value) document.getElementById('xtractorDataFilename').value = event.target.value;
});
for (const input of document.querySelectorAll('input[data-above]')) {
    const check = () => input.setCustomValidity(input.value !== '' && Number(input.value) <= Number(input.dataset.above)
        ? 'The value must lie above ' + input.dataset.above + '.' : '');
    input.addEventListener('input', check);
    check();
}
</script>
)";

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

PageHtml option(const std::string& value, const std::string& label, bool selected) {
    Attributes attributes = {{"value", value}};
    if (selected) attributes.push_back({"selected", std::nullopt});
    return element("option", attributes, PageHtml(label));
}

PageHtml control(const FormField& field, const std::string& value, const FormPageInputs& inputs) {
    const QueryKey& key = *field.key;
    Attributes attributes = {{"id", key.name}, {"name", key.name}};
    if (key.role == KeyRole::cysteine || !key.choices.empty()) {
        PageHtml options;
        std::vector<std::string> values = inputs.cysteines;
        if (key.role != KeyRole::cysteine) {
            values.clear();
            for (const KeyChoice& choice : key.choices) values.emplace_back(choice.value);
        }
        // A request's value that is no longer offered stays visible.
        if (std::find(values.begin(), values.end(), value) == values.end()) values.push_back(value);
        for (const std::string& offered : values) {
            const auto choice = std::find_if(key.choices.begin(), key.choices.end(),
                                             [&](const KeyChoice& c) { return offered == c.value; });
            options += option(offered, choice != key.choices.end() ? choice->label : offered, offered == value);
        }
        return element("select", attributes, options);
    }
    if (key.type == KeyType::integer || key.type == KeyType::real) {
        attributes.push_back({"type", "number"});
        attributes.push_back({"step", key.type == KeyType::integer ? "1" : "any"});
        if (key.range) {
            attributes.push_back({key.range->lowestExcluded ? "data-above" : "min", numberText(key.range->lowest)});
            attributes.push_back({"max", numberText(key.range->highest)});
            attributes.push_back({"title", "Range " + key.range->text()});
        }
        attributes.push_back({"required", std::nullopt});
    } else {
        attributes.push_back({"type", "text"});
        attributes.push_back({"size", "60"});
        if (key.role == KeyRole::runData) attributes.push_back({"required", std::nullopt});
    }
    attributes.push_back({"value", value});
    return emptyElement("input", attributes);
}

// The default and the range in the command line's words, on a line of
// their own below the help.
PageHtml helpHtml(const FormField& field) {
    const QueryKey& key = *field.key;
    std::string values;
    if (const std::string defaultText = offeredDefaultText(key); defaultText != "(empty)") {
        values = "Default: " + defaultText;
    }
    if (key.range) values += (values.empty() ? "Range " : "; range ") + key.range->text();
    PageHtml html = PageHtml(field.help);
    if (!values.empty()) html += element("span", {{"class", "values"}}, PageHtml(values + "."));
    return element("div", {{"class", "help"}}, html);
}

PageHtml runPicker(const FormPageInputs& inputs) {
    PageHtml options = option("", inputs.runs.empty() ? "(no runs under the data root)" : "(pick a run)", true);
    for (const std::string& run : inputs.runs) options += option(run, run, false);
    return element("div", {{"class", "field"}},
                   element("label", {{"for", "runPicker"}}, PageHtml("Runs found")) +
                       element("select", {{"id", "runPicker"}}, options) +
                       element("div", {{"class", "help"}},
                               PageHtml("The runs of " + inputs.program + " under the data root " + inputs.dataRoot +
                                        ", as they are now."))) +
           PageHtml::markup("\n");
}

PageHtml fieldHtml(const FormField& field, const std::string& value, const FormPageInputs& inputs) {
    const QueryKey& key = *field.key;
    PageHtml html = element("div", {{"class", "field"}},
                            element("label", {{"for", key.name}},
                                    PageHtml(std::string(key.label) + " ") + element("code", PageHtml(key.name))) +
                                control(field, value, inputs) + helpHtml(field)) +
                    PageHtml::markup("\n");
    if (key.role == KeyRole::runData) html += runPicker(inputs);
    return html;
}

}  // namespace

PageHtml formPage(const FormPageInputs& inputs) {
    const std::vector<FormField> fields = formFields(inputs.program);
    const auto valueOf = [&](const FormField& field) {
        const auto given = std::find_if(inputs.settings.rbegin(), inputs.settings.rend(),
                                        [&](const QueryEntry& entry) { return entry.name == field.key->name; });
        return given != inputs.settings.rend() ? given->value : field.startValue;
    };
    // One fieldset per group, in the table's order of groups.
    const auto groups = [&](bool advanced) {
        PageHtml html;
        for (const char* group : queryKeyGroups()) {
            PageHtml inside;
            for (const FormField& field : fields) {
                if (field.key->group == std::string_view(group) && field.key->advanced == advanced) {
                    inside += fieldHtml(field, valueOf(field), inputs);
                }
            }
            if (!inside.html().empty()) {
                html += element("fieldset", PageHtml::markup("\n") + element("legend", PageHtml(group)) +
                                                PageHtml::markup("\n") + inside) +
                        PageHtml::markup("\n");
            }
        }
        return html;
    };
    const bool changedAdvanced = std::any_of(fields.begin(), fields.end(), [&](const FormField& field) {
        return field.key->advanced && valueOf(field) != field.startValue;
    });
    Attributes foldAttributes = {{"id", "advanced"}};
    if (changedAdvanced) foldAttributes.push_back({"open", std::nullopt});

    PageHtml html = pageStart(inputs.program);
    html += element("p", PageHtml("Peak lists, logs and the run report go under the results root " +
                                  inputs.resultsRoot + "; the next page shows the program's progress and links them."));
    if (!inputs.againOf.empty()) {
        html += element("p", {{"class", "again"}},
                        PageHtml("The settings of request " + inputs.againOf +
                                 ": change what you need and extract again; a new request gets its own folder."));
    }
    const PageHtml form =
        PageHtml::markup("\n") + groups(false) +
        element("details", foldAttributes,
                element("summary", PageHtml("Advanced: file names and rarely changed settings")) +
                    PageHtml::markup("\n") + groups(true)) +
        PageHtml::markup("\n") +
        element("p", element("button", {{"type", "submit"}, {"id", "submit"}}, PageHtml("Extract peak lists")));
    html += PageHtml::markup("\n") +
            element("form", {{"method", "post"}, {"action", "/cgi-bin/" + inputs.program}, {"id", "extraction"}}, form) +
            PageHtml::markup("\n") + PageHtml::markup(formScript);
    return html + pageEnd();
}
