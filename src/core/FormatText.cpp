#include "core/FormatText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// A width or precision in a translation may ask for any number of characters; more than a
// kilobyte is never meant, and a billion would need gigabytes of memory.
constexpr unsigned kMaxWidthOrPrecision = 1024;

// Copies the decimal digits at format[j] to out, as a number no larger than kMaxWidthOrPrecision,
// and moves j past them; nothing when there are none.
void AppendBoundedNumber(const std::string& format, size_t& j, std::string& out) {
    if (j >= format.size() || format[j] < '0' || format[j] > '9')
        return;
    unsigned value = 0;
    for (; j < format.size() && format[j] >= '0' && format[j] <= '9'; ++j)
        value = std::min(value * 10 + static_cast<unsigned>(format[j] - '0'), kMaxWidthOrPrecision);
    out += std::to_string(value);
}

// Formats one conversion with snprintf, choosing the conversion by the argument's type.
std::string FormatOne(const std::string& flagsWidthPrecision, char conversion, const FormatArg& arg) {
    std::string conversionFormat = "%" + flagsWidthPrecision;
    std::vector<char> buffer(512);
    auto print = [&](auto value) {
        int n = std::snprintf(buffer.data(), buffer.size(), conversionFormat.c_str(), value);
        if (n >= static_cast<int>(buffer.size())) {
            buffer.resize(static_cast<size_t>(n) + 1);
            n = std::snprintf(buffer.data(), buffer.size(), conversionFormat.c_str(), value);
        }
        return n > 0 ? std::string(buffer.data(), static_cast<size_t>(n)) : std::string();
    };
    const bool wantsFloat = std::strchr("fFeEgGaA", conversion) != nullptr;
    const bool wantsInteger = std::strchr("diouxXc", conversion) != nullptr;
    if (const auto* i = std::get_if<long long>(&arg)) {
        if (wantsFloat) {
            conversionFormat += conversion;
            return print(static_cast<double>(*i));
        }
        conversionFormat += "ll";
        conversionFormat += (wantsInteger && conversion != 'c') ? conversion : 'd';
        return print(*i);
    }
    if (const auto* d = std::get_if<double>(&arg)) {
        conversionFormat += wantsFloat ? conversion : 'f';
        return print(*d);
    }
    conversionFormat += 's';
    return print(std::get<std::string>(arg).c_str());
}

}  // namespace

std::string FormatText(const std::string& format, std::initializer_list<FormatArg> args) {
    std::string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        // "%2$s" takes the second argument wherever it stands, so a translation may reorder them;
        // a conversion without a position takes the next one in turn.
        const FormatArg* positioned = nullptr;
        bool hasPosition = false;
        {
            size_t k = j;
            size_t position = 0;
            for (; k < format.size() && format[k] >= '0' && format[k] <= '9'; ++k)
                position = std::min(position * 10 + static_cast<size_t>(format[k] - '0'), args.size() + 1);
            if (k > j && k < format.size() && format[k] == '$') {
                hasPosition = true;
                if (position >= 1 && position <= args.size())
                    positioned = args.begin() + (position - 1);
                j = k + 1;
            }
        }
        // Flags, width and precision; '*' is not honoured (no argument is taken for it).
        std::string modifiers;
        while (j < format.size() && std::strchr("-+ #0", format[j]))
            modifiers += format[j++];
        AppendBoundedNumber(format, j, modifiers);
        if (j < format.size() && format[j] == '.') {
            modifiers += format[j++];
            AppendBoundedNumber(format, j, modifiers);
        }
        while (j < format.size() && std::strchr("hlLqjzt", format[j]))
            ++j;  // length modifiers: the type is known
        if (j >= format.size()) {
            out.append(format, i, std::string::npos);
            break;
        }
        char conversion = format[j];
        if (!std::strchr("diouxXcfFeEgGaAsS", conversion)) {
            out.append(format, i, j - i + 1);  // not a conversion: kept as written
        } else if (hasPosition) {
            if (positioned)
                out += FormatOne(modifiers, conversion, *positioned);
        } else if (next != args.end()) {
            out += FormatOne(modifiers, conversion, *next++);
        }
        i = j;
    }
    return out;
}
