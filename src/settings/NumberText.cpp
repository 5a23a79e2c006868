#include "settings/NumberText.h"

#include <QLocale>
#include <cmath>

namespace {

std::optional<double> ParseNumber(const QString &text) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    for (const QLocale &locale : {QLocale::system(), QLocale::c()}) {
        bool ok = false;
        const double value = locale.toDouble(trimmed, &ok);
        if (ok && std::isfinite(value))
            return value;
    }
    return std::nullopt;
}

} // namespace

std::optional<float> ParseSingle(const QString &text) {
    const auto value = ParseNumber(text);
    if (!value || std::fabs(*value) > 3.402823466e38)
        return std::nullopt;
    return static_cast<float>(*value);
}

std::optional<int> ParseInteger16(const QString &text) {
    const auto value = ParseNumber(text);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value); // the default rounding: half to even
    if (rounded < -32768.0 || rounded > 32767.0)
        return std::nullopt;
    return static_cast<int>(rounded);
}

QString SingleText(float value) {
    QLocale locale = QLocale::system();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(static_cast<double>(value), 'g', 7);
}
