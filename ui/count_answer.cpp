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

CheckedCount checkCount(const QString& answer, char separator) {
    const QString typed = answer.trimmed();
    if (typed.isEmpty()) {
        return {std::nullopt, QStringLiteral("no answer was given")};
    }
    const std::string text = answer.toStdString();
    const std::optional<double> value = parseTypedNumber(text, separator);
    if (!value) {
        return {std::nullopt, typed + QStringLiteral(" is not a number")};
    }
    if (*value < 1.0) {
        return {std::nullopt, typed + QStringLiteral(" is below 1")};
    }
    if (std::floor(*value) != *value) {
        return {std::nullopt, typed + QStringLiteral(" is not a whole number")};
    }
    return {CountValue(text, separator), QString()};
}

} // namespace dissim::ui
