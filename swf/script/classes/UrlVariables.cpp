#include "swf/script/classes/UrlVariables.h"

#include "swf/script/Machine.h"
#include "swf/script/classes/Builtins.h"

namespace swf::script {

std::vector<std::pair<std::string_view, std::string_view>> splitUrlVariables(std::string_view text)
{
    std::vector<std::pair<std::string_view, std::string_view>> pairs;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view part = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (part.empty())
            continue;
        const std::size_t eq = part.find('=');
        if (eq == std::string_view::npos)
            pairs.emplace_back(part, std::string_view());
        else
            pairs.emplace_back(part.substr(0, eq), part.substr(eq + 1));
    }
    return pairs;
}

void decodeUrlVariables(Machine& machine, Object* into, std::string_view text)
{
    // Through the same native unescape() is, so the two never disagree.
    const auto unescape = machine.nativeAt(100, 1);
    if (!unescape || !into)
        return;
    const auto decoded = [&](std::string_view raw) {
        const Value args[] {machine.stringValue(std::string(raw))};
        NativeCall call {machine, Value(), args};
        const Value out = unescape->first(call);
        return out.isString() ? out : Value::string(machine.heap().emptyString());
    };
    for (const auto& [name, value] : splitUrlVariables(text)) {
        machine.chargeWork(1);
        // A pair without a name sets nothing.
        if (name.empty())
            continue;
        const Value key = decoded(name);
        machine.set(into, machine.toKey(key), decoded(value));
    }
}

} // namespace swf::script
