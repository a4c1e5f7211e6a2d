#include "web/launcher/form_page.h"

#include <algorithm>
#include <cstdio>

#include "frontend/key_listing.h"
#include "web/launcher/form_fields.h"
#include "web/launcher/html_text.h"
#include "web/launcher/page_frame.h"
#include "web/launcher/scan_choice.h"

namespace {

// The run picker fills in the data file; a lower bound that the value must
// lie above has no attribute of its own in HTML. Without the script every
// field shows and the launcher ignores what the chosen mode does not use.
// The fixed charge stays in the query when hidden, so a hidden field is put
// back to its start value rather than left failing the form's checks; the
// scan window's fields are left out of the query, the launcher sets them.
constexpr const char* formScript = R"(<script>
document.getElementById('runPicker').addEventListener('change', (event) => {
    if (event.target.value) document.getElementById('xtractorDataFilename').value = event.target.value;
});
const chargeMode = document.getElementById('autoCharge');
const fixedCharge = document.getElementById('fixedCharge');
if (chargeMode && fixedCharge) {
    const showFixedCharge = () => {
        fixedCharge.hidden = chargeMode.value !== '';
        if (!fixedCharge.hidden) return;
        for (const input of fixedCharge.querySelectorAll('input')) {
            if (!input.checkValidity()) input.value = input.defaultValue;
        }
    };
    chargeMode.addEventListener('change', showFixedCharge);
    showFixedCharge();
}
const scanWindow = document.getElementById('scanWindow');
const scanChoices = document.querySelectorAll('input[name=scanRange]');
const showScanWindow = () => {
    const whole = document.querySelector('input[name=scanRange]:checked')?.value === 'whole';
    scanWindow.hidden = whole;
    for (const input of scanWindow.querySelectorAll('input')) input.disabled = whole;
};
for (const choice of scanChoices) choice.addEventListener('change', showScanWindow);
showScanWindow();
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
        std::vector<OfferedChoice> choices = offeredChoices(key, inputs.cysteines);
        // A request's value that is no longer offered stays visible.
        if (std::none_of(choices.begin(), choices.end(), [&](const OfferedChoice& c) { return c.value == value; })) {
            choices.push_back({.value = value});
        }
        for (const OfferedChoice& choice : choices) {
            options += option(choice.value, choiceLabel(choice), choice.value == value);
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
    const std::string kinds = inputs.program == Program::wiffharvest
                                  ? "each .wiff file, or the first export of one whose .wiff file is not there"
                                  : "each run folder X.d holding an export, and each export file of its own";
    return element("div", {{"class", "field"}},
                   element("label", {{"for", "runPicker"}}, PageHtml("Runs found")) +
                       element("select", {{"id", "runPicker"}}, options) +
                       element("div", {{"class", "help"}},
                               PageHtml("The runs of " + programName(inputs.program) + " under the data root " + inputs.dataRoot +
                                        ", as they are now: " + kinds + "."))) +
           PageHtml::markup("\n");
}

// The whole run, or the scans from the first to the last scan field.
PageHtml scanChoice(bool wholeRun) {
    const auto choice = [&](const char* value, const char* id, const char* label, bool checked) {
        Attributes attributes = {{"type", "radio"}, {"id", id}, {"name", scanChoiceName}, {"value", value}};
        if (checked) attributes.push_back({"checked", std::nullopt});
        return element("label", {{"for", id}}, emptyElement("input", attributes) + PageHtml(label));
    };
    return element("div", {{"class", "field"}},
                   element("span", {{"class", "label"}}, PageHtml("Scans")) +
                       element("div", {{"class", "choices"}},
                               choice(wholeRunChoice, "wholeRun", "the whole run", wholeRun) +
                                   choice(scanWindowChoice, "scanWindowChoice", "from the first to the last scan below",
                                          !wholeRun)) +
                       element("div", {{"class", "help"}},
                               PageHtml("The whole run takes every scan, however many the run has."))) +
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

// What the program does, reads and writes, in a few plain sentences.
PageHtml about(const FormPageInputs& inputs) {
    const bool wiff = inputs.program == Program::wiffharvest;
    const std::string does =
        wiff ? "Turns every sample of one Sciex .wiff run (QSTAR, MALDI QSTAR, QTRAP) into peak lists for a search "
               "engine such as Comet or Mascot. MS/MS spectra of one precursor taken close together are merged into "
               "one, each precursor's charge is taken from the isotope spacing in the survey scan before it, and "
               "spectra unlikely to identify a peptide are left out."
             : "Turns one LC/MS/MS run of an ion-trap instrument into peak lists for a search engine such as Comet or "
               "Mascot. MS/MS spectra of one precursor taken a few scans apart are merged into one, each precursor's "
               "charge is decided from its fragments, the survey scans and b/y ion pairs, and spectra unlikely to "
               "identify a peptide are left out.";
    const std::string reads =
        wiff ? "The exports of one .wiff file, beside it under the data root " + inputs.dataRoot +
                   ": RUN.mzML or RUN-<sample>.mzML for each sample (mzXML too, either gzip-compressed). Pick the "
                   ".wiff file, or one of its exports when the .wiff file itself is not there."
             : "One run under the data root " + inputs.dataRoot +
                   ": a run folder X.d holding its export Analysis.mzML or Analysis.mzXML (either gzip-compressed), "
                   "or an mzML or mzXML export file of its own.";
    const std::string writes =
        "A new folder for this request under the results root " + inputs.resultsRoot + ": the peak lists (" +
        (wiff ? "an MGF file per sample" : "one MGF file") +
        ", or a .pkl file per spectrum), logs of the charges, the rejected spectra and each spectrum's features, the "
        "run statistics and a run report. The next page shows the program's progress and links them.";
    const auto item = [](const char* term, const std::string& text) {
        return element("dt", PageHtml(term)) + element("dd", PageHtml(text)) + PageHtml::markup("\n");
    };
    return element("dl", {{"class", "about"}},
                   PageHtml::markup("\n") + item("What it does", does) + item("What it reads", reads) +
                       item("What it writes", writes)) +
           PageHtml::markup("\n");
}

}  // namespace

PageHtml formPage(const FormPageInputs& inputs) {
    const std::vector<FormField> fields = formFields(inputs.program);
    const auto valueOf = [&](const FormField& field) {
        const auto given = std::find_if(inputs.settings.rbegin(), inputs.settings.rend(),
                                        [&](const QueryEntry& entry) { return entry.name == field.key->name; });
        return given != inputs.settings.rend() ? given->value : field.startValue;
    };
    const auto fieldOf = [&](const QueryKey& key) {
        return std::find_if(fields.begin(), fields.end(), [&](const FormField& field) { return field.key == &key; });
    };
    const auto oneField = [&](const QueryKey& key) {
        const auto field = fieldOf(key);
        return field != fields.end() ? fieldHtml(*field, valueOf(*field), inputs) : PageHtml();
    };
    // The fixed charge shows beside the charge rule that reads it, not with
    // the rarely changed settings.
    const QueryKey& chargeMode = keyOfField(&ExtractorParameters::autoCharge);
    const QueryKey& lowCharge = keyOfField(&ExtractorParameters::lowCharge);
    const QueryKey& highCharge = keyOfField(&ExtractorParameters::highCharge);
    const QueryKey& firstScan = keyOfField(&ExtractorParameters::firstScan);
    const QueryKey& lastScan = keyOfField(&ExtractorParameters::lastScan);
    const auto placedApart = [&](const QueryKey& key) { return &key == &lowCharge || &key == &highCharge; };
    const auto fieldsHtml = [&](const FormField& field) {
        const QueryKey& key = *field.key;
        if (placedApart(key) || &key == &lastScan) return PageHtml();
        if (&key == &chargeMode) {
            return oneField(key) +
                   element("div", {{"id", "fixedCharge"}}, oneField(lowCharge) + oneField(highCharge)) +
                   PageHtml::markup("\n");
        }
        if (&key == &firstScan) {
            const std::optional<std::string> chosen = lastQueryValue(inputs.settings, scanChoiceName);
            const bool whole = chosen ? *chosen == wholeRunChoice
                                      : fieldOf(lastScan) != fields.end() &&
                                            isWholeRun(valueOf(field), valueOf(*fieldOf(lastScan)));
            return scanChoice(whole) +
                   element("div", {{"id", "scanWindow"}}, oneField(firstScan) + oneField(lastScan)) +
                   PageHtml::markup("\n");
        }
        return oneField(key);
    };
    // One fieldset per group, in the table's order of groups.
    const auto groups = [&](bool advanced) {
        PageHtml html;
        for (const char* group : queryKeyGroups()) {
            PageHtml inside;
            for (const FormField& field : fields) {
                if (field.key->group == std::string_view(group) && field.key->advanced == advanced) {
                    inside += fieldsHtml(field);
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
        return field.key->advanced && !placedApart(*field.key) && valueOf(field) != field.startValue;
    });
    Attributes foldAttributes = {{"id", "advanced"}};
    if (changedAdvanced) foldAttributes.push_back({"open", std::nullopt});

    PageHtml page = pageStart(programName(inputs.program)) + about(inputs);
    if (!inputs.againOf.empty()) {
        page += element("p", {{"class", "again"}},
                        PageHtml("The settings of request " + inputs.againOf +
                                 ": change what you need and extract again; a new request gets its own folder."));
    }
    const PageHtml form =
        PageHtml::markup("\n") +
        element("p", {{"class", "submit"}},
                element("button", {{"type", "submit"}, {"id", "submitTop"}}, PageHtml("Extract peak lists"))) +
        PageHtml::markup("\n") + groups(false) +
        element("details", foldAttributes,
                element("summary", PageHtml("Advanced: file names and rarely changed settings")) +
                    PageHtml::markup("\n") + groups(true)) +
        PageHtml::markup("\n") +
        element("p", element("button", {{"type", "submit"}, {"id", "submit"}}, PageHtml("Extract peak lists")));
    page += PageHtml::markup("\n") +
            element("form", {{"method", "post"}, {"action", "/cgi-bin/" + programName(inputs.program)}, {"id", "extraction"}}, form) +
            PageHtml::markup("\n") + PageHtml::markup(formScript);
    return page + pageEnd();
}
