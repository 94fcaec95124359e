#include "count_answer.h"

#include <QLocale>

#include <cmath>

namespace dissim::ui {

char localeDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    if (point.size() == 1 && point.at(0).unicode() < 0x80) {
        return static_cast<char>(point.at(0).unicode());
    }
    return '.';
}

std::optional<CountValue> acceptedCount(const QString& answer, char separator) {
    const std::string text = answer.toStdString();
    const std::optional<double> value = parseTypedNumber(text, separator);
    if (!value || *value < 1.0 || std::floor(*value) != *value) {
        return std::nullopt;
    }
    return CountValue(text, separator);
}

} // namespace dissim::ui
