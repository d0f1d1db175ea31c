#pragma once

// Builds action byte streams for tests, the way a compiler would lay them
// out: pushes of every type, branches to named labels, function bodies and
// with/try blocks written from nested writers. build() resolves the
// labels and ends the block with an End action.
//
//   ActionWriter w;
//   w.push("x", 1.5).op(ActionCode::SetVariable)
//    .label("loop").push("x").op(ActionCode::GetVariable).branchIf("loop");
//   std::vector<std::uint8_t> bytes = w.build();

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include "swf/script/ActionCode.h"

namespace swftest {

using swf::script::ActionCode;

// One value of a Push action, in its stored form.
struct PushValue {
    enum class Kind { String, Float, Null, Undefined, Register, Boolean, Double, Integer, Constant };
    Kind kind = Kind::Undefined;
    std::string text;
    double number = 0;
    int index = 0;

    PushValue(const char* s)
        : kind(Kind::String)
        , text(s)
    {
    }
    PushValue(std::string s)
        : kind(Kind::String)
        , text(std::move(s))
    {
    }
    // Whole numbers that fit go out as integers, the rest as doubles.
    PushValue(double n);
    PushValue(int n)
        : kind(Kind::Integer)
        , number(n)
    {
    }
    PushValue(bool b)
        : kind(Kind::Boolean)
        , number(b ? 1 : 0)
    {
    }
    static PushValue null() { return PushValue(Kind::Null); }
    static PushValue undefined() { return PushValue(Kind::Undefined); }
    static PushValue reg(int r) { return PushValue(Kind::Register, r); }
    static PushValue constant(int i) { return PushValue(Kind::Constant, i); }
    static PushValue asFloat(float f);
    static PushValue asDouble(double d);

private:
    explicit PushValue(Kind k, int i = 0)
        : kind(k)
        , index(i)
    {
    }
};

struct Function2Parameter {
    int reg = 0; // 0: by name
    std::string name;
};

class ActionWriter {
public:
    ActionWriter& op(ActionCode code);
    // Any action with a body as given, for malformed and unknown ones too.
    ActionWriter& action(std::uint8_t code, const std::vector<std::uint8_t>& body);
    ActionWriter& raw(const std::vector<std::uint8_t>& bytes);

    template<typename... Values>
    ActionWriter& push(Values... values)
    {
        return pushValues({PushValue(values)...});
    }
    ActionWriter& pushValues(std::initializer_list<PushValue> values);
    ActionWriter& constantPool(const std::vector<std::string>& strings);
    ActionWriter& storeRegister(int reg);

    ActionWriter& label(const std::string& name);
    ActionWriter& jump(const std::string& label);
    ActionWriter& branchIf(const std::string& label);

    ActionWriter& gotoFrame(int frame);
    ActionWriter& gotoLabel(const std::string& label);
    ActionWriter& gotoFrame2(bool play, int sceneBias = 0);
    ActionWriter& getUrl(const std::string& url, const std::string& target);
    ActionWriter& getUrl2(std::uint8_t flags);
    ActionWriter& setTarget(const std::string& target);
    ActionWriter& waitForFrame(int frame, int skip);

    ActionWriter& defineFunction(const std::string& name, const std::vector<std::string>& parameters, const ActionWriter& body);
    ActionWriter& defineFunction2(const std::string& name, int registers, std::uint16_t flags,
                                  const std::vector<Function2Parameter>& parameters, const ActionWriter& body);
    ActionWriter& with(const ActionWriter& body);
    // catchRegister < 0: the caught value goes to the variable `catchName`.
    ActionWriter& tryCatch(const ActionWriter& tryBody, const ActionWriter* catchBody, const ActionWriter* finallyBody,
                           const std::string& catchName, int catchRegister = -1);

    // The bytes without an End action, labels resolved.
    std::vector<std::uint8_t> body() const;
    // The bytes with an End action, as a DoAction holds them.
    std::vector<std::uint8_t> build() const;

private:
    struct Branch {
        std::size_t offsetField; // where the 16-bit offset goes
        std::string label;
    };

    std::vector<std::uint8_t> m_bytes;
    std::map<std::string, std::size_t> m_labels;
    std::vector<Branch> m_branches;
};

} // namespace swftest
