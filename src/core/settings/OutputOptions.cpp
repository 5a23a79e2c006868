#include "core/settings/OutputOptions.h"

#include "core/colour/CodeFormats.h"
#include "core/colour/CodeText.h"
#include "core/settings/NumberText.h"

int RestoredUpperCase(const IniMod &settings) {
    const auto value = ParseInteger16(settings.ReadIni("Output", "UpperCase", "1"));
    return value && *value >= 0 && *value <= 2 ? *value : DesignedUpperCase;
}

std::optional<int> StoredFormat(const IniMod &settings) {
    const auto index = ParseInteger16(settings.ReadIni("Output", "Type", "0"));
    if (!index || *index < FormatNone || *index >= static_cast<int>(ListFormats().size()))
        return std::nullopt;
    return index;
}

std::string PrintedCode(IniMod &settings, ColourValue colour, int format, int upperCase) {
    const IniMod::ReadPass pass(settings);
    if (format < 0)
        format = StoredFormat(settings).value_or(FormatHtml);
    const CodeFormat *chosen = FormatById(format);
    if (!chosen || format == FormatNone)
        chosen = FormatById(FormatHtml);
    if (upperCase < 0)
        upperCase = RestoredUpperCase(settings);
    return RenderCode(*chosen, colour, upperCase);
}

CodeStyle StoredCodeStyle(IniMod &settings) {
    const IniMod::ReadPass pass(settings);
    const int format = StoredFormat(settings).value_or(FormatHtml);
    return {format == FormatNone ? FormatHtml : format, RestoredUpperCase(settings)};
}
