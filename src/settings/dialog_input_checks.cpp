#include "settings/dialog_input_checks.h"

#include "settings/ini_values.h"

namespace k740 {

namespace {
std::optional<int32_t> PositiveInt32(const QString& text)
{
    const std::optional<int64_t> value = ParseIniInteger(text.trimmed(), 32);
    if (!value || *value <= 0)
        return std::nullopt;
    return int32_t(*value);
}
} // namespace

std::optional<int64_t> CustomCprFromText(const QString& text)
{
    const std::optional<int64_t> value = ParseIniInteger(text.trimmed(), 64);
    if (!value || *value == 0)
        return std::nullopt;
    return AbsoluteValue(*value);
}

std::optional<int32_t> NominalIncrementFromText(const QString& text)
{
    const std::optional<int32_t> increment = PositiveInt32(text);
    if (!increment || *increment % 2 != 0)
        return std::nullopt;
    return increment;
}

std::optional<int32_t> NominalIncrementFromBasic(const QString& text, int32_t periodLength)
{
    const std::optional<int32_t> basic = PositiveInt32(text);
    if (!basic || periodLength <= 0 || *basic % (int64_t(2) * periodLength) != 0)
        return std::nullopt;
    return *basic / periodLength;
}

} // namespace k740
