#include "support/ActionWriter.h"

#include <bit>
#include <cmath>
#include <stdexcept>

namespace swftest {

namespace {

void u16(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t((v >> 8) & 0xFF));
}

void u32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t((v >> (8 * i)) & 0xFF));
}

void text(std::vector<std::uint8_t>& out, const std::string& s)
{
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

} // namespace

PushValue::PushValue(double n)
    : kind(Kind::Double)
    , number(n)
{
    if (n == std::trunc(n) && std::fabs(n) < 2147483648.0 && !(n == 0 && std::signbit(n)))
        kind = Kind::Integer;
}

PushValue PushValue::asFloat(float f)
{
    PushValue v(0.0);
    v.kind = Kind::Float;
    v.number = f;
    return v;
}

PushValue PushValue::asDouble(double d)
{
    PushValue v(0.0);
    v.kind = Kind::Double;
    v.number = d;
    return v;
}

ActionWriter& ActionWriter::op(ActionCode code)
{
    const auto c = std::uint8_t(code);
    m_bytes.push_back(c);
    if (c >= 0x80)
        u16(m_bytes, 0);
    return *this;
}

ActionWriter& ActionWriter::action(std::uint8_t code, const std::vector<std::uint8_t>& body)
{
    m_bytes.push_back(code);
    if (code >= 0x80) {
        u16(m_bytes, std::uint32_t(body.size()));
        m_bytes.insert(m_bytes.end(), body.begin(), body.end());
    }
    return *this;
}

ActionWriter& ActionWriter::raw(const std::vector<std::uint8_t>& bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionWriter& ActionWriter::pushValues(std::initializer_list<PushValue> values)
{
    std::vector<std::uint8_t> body;
    for (const PushValue& v : values) {
        switch (v.kind) {
        case PushValue::Kind::String:
            body.push_back(0);
            text(body, v.text);
            break;
        case PushValue::Kind::Float:
            body.push_back(1);
            u32(body, std::bit_cast<std::uint32_t>(float(v.number)));
            break;
        case PushValue::Kind::Null: body.push_back(2); break;
        case PushValue::Kind::Undefined: body.push_back(3); break;
        case PushValue::Kind::Register:
            body.push_back(4);
            body.push_back(std::uint8_t(v.index));
            break;
        case PushValue::Kind::Boolean:
            body.push_back(5);
            body.push_back(v.number != 0 ? 1 : 0);
            break;
        case PushValue::Kind::Double: {
            body.push_back(6);
            const auto bits = std::bit_cast<std::uint64_t>(v.number);
            u32(body, std::uint32_t(bits >> 32));
            u32(body, std::uint32_t(bits));
            break;
        }
        case PushValue::Kind::Integer:
            body.push_back(7);
            u32(body, std::uint32_t(std::int32_t(v.number)));
            break;
        case PushValue::Kind::Constant:
            if (v.index < 256) {
                body.push_back(8);
                body.push_back(std::uint8_t(v.index));
            } else {
                body.push_back(9);
                u16(body, std::uint32_t(v.index));
            }
            break;
        }
    }
    return action(std::uint8_t(ActionCode::Push), body);
}

ActionWriter& ActionWriter::constantPool(const std::vector<std::string>& strings)
{
    std::vector<std::uint8_t> body;
    u16(body, std::uint32_t(strings.size()));
    for (const std::string& s : strings)
        text(body, s);
    return action(std::uint8_t(ActionCode::ConstantPool), body);
}

ActionWriter& ActionWriter::storeRegister(int reg)
{
    return action(std::uint8_t(ActionCode::StoreRegister), {std::uint8_t(reg)});
}

ActionWriter& ActionWriter::label(const std::string& name)
{
    m_labels[name] = m_bytes.size();
    return *this;
}

ActionWriter& ActionWriter::jump(const std::string& target)
{
    action(std::uint8_t(ActionCode::Jump), {0, 0});
    m_branches.push_back({m_bytes.size() - 2, target});
    return *this;
}

ActionWriter& ActionWriter::branchIf(const std::string& target)
{
    action(std::uint8_t(ActionCode::If), {0, 0});
    m_branches.push_back({m_bytes.size() - 2, target});
    return *this;
}

ActionWriter& ActionWriter::gotoFrame(int frame)
{
    std::vector<std::uint8_t> body;
    u16(body, std::uint32_t(frame));
    return action(std::uint8_t(ActionCode::GotoFrame), body);
}

ActionWriter& ActionWriter::gotoLabel(const std::string& label)
{
    std::vector<std::uint8_t> body;
    text(body, label);
    return action(std::uint8_t(ActionCode::GoToLabel), body);
}

ActionWriter& ActionWriter::gotoFrame2(bool play, int sceneBias)
{
    std::vector<std::uint8_t> body {std::uint8_t((play ? 1 : 0) | (sceneBias ? 2 : 0))};
    if (sceneBias)
        u16(body, std::uint32_t(sceneBias));
    return action(std::uint8_t(ActionCode::GotoFrame2), body);
}

ActionWriter& ActionWriter::getUrl(const std::string& url, const std::string& target)
{
    std::vector<std::uint8_t> body;
    text(body, url);
    text(body, target);
    return action(std::uint8_t(ActionCode::GetUrl), body);
}

ActionWriter& ActionWriter::getUrl2(std::uint8_t flags)
{
    return action(std::uint8_t(ActionCode::GetUrl2), {flags});
}

ActionWriter& ActionWriter::setTarget(const std::string& target)
{
    std::vector<std::uint8_t> body;
    text(body, target);
    return action(std::uint8_t(ActionCode::SetTarget), body);
}

ActionWriter& ActionWriter::waitForFrame(int frame, int skip)
{
    std::vector<std::uint8_t> body;
    u16(body, std::uint32_t(frame));
    body.push_back(std::uint8_t(skip));
    return action(std::uint8_t(ActionCode::WaitForFrame), body);
}

ActionWriter& ActionWriter::defineFunction(const std::string& name, const std::vector<std::string>& parameters, const ActionWriter& body)
{
    const std::vector<std::uint8_t> code = body.body();
    std::vector<std::uint8_t> header;
    text(header, name);
    u16(header, std::uint32_t(parameters.size()));
    for (const std::string& p : parameters)
        text(header, p);
    u16(header, std::uint32_t(code.size()));
    action(std::uint8_t(ActionCode::DefineFunction), header);
    return raw(code);
}

ActionWriter& ActionWriter::defineFunction2(const std::string& name, int registers, std::uint16_t flags,
                                            const std::vector<Function2Parameter>& parameters, const ActionWriter& body)
{
    const std::vector<std::uint8_t> code = body.body();
    std::vector<std::uint8_t> header;
    text(header, name);
    u16(header, std::uint32_t(parameters.size()));
    header.push_back(std::uint8_t(registers));
    u16(header, flags);
    for (const Function2Parameter& p : parameters) {
        header.push_back(std::uint8_t(p.reg));
        text(header, p.name);
    }
    u16(header, std::uint32_t(code.size()));
    action(std::uint8_t(ActionCode::DefineFunction2), header);
    return raw(code);
}

ActionWriter& ActionWriter::with(const ActionWriter& body)
{
    const std::vector<std::uint8_t> code = body.body();
    std::vector<std::uint8_t> header;
    u16(header, std::uint32_t(code.size()));
    action(std::uint8_t(ActionCode::With), header);
    return raw(code);
}

ActionWriter& ActionWriter::tryCatch(const ActionWriter& tryBody, const ActionWriter* catchBody, const ActionWriter* finallyBody,
                                     const std::string& catchName, int catchRegister)
{
    const std::vector<std::uint8_t> tryCode = tryBody.body();
    const std::vector<std::uint8_t> catchCode = catchBody ? catchBody->body() : std::vector<std::uint8_t>();
    const std::vector<std::uint8_t> finallyCode = finallyBody ? finallyBody->body() : std::vector<std::uint8_t>();
    std::vector<std::uint8_t> header;
    header.push_back(std::uint8_t((catchBody ? 1 : 0) | (finallyBody ? 2 : 0) | (catchRegister >= 0 ? 4 : 0)));
    u16(header, std::uint32_t(tryCode.size()));
    u16(header, std::uint32_t(catchCode.size()));
    u16(header, std::uint32_t(finallyCode.size()));
    if (catchRegister >= 0)
        header.push_back(std::uint8_t(catchRegister));
    else
        text(header, catchName);
    action(std::uint8_t(ActionCode::Try), header);
    raw(tryCode);
    raw(catchCode);
    return raw(finallyCode);
}

std::vector<std::uint8_t> ActionWriter::body() const
{
    std::vector<std::uint8_t> out = m_bytes;
    for (const Branch& b : m_branches) {
        const auto found = m_labels.find(b.label);
        if (found == m_labels.end())
            throw std::logic_error("ActionWriter: no label " + b.label);
        const long delta = long(found->second) - long(b.offsetField + 2);
        out[b.offsetField] = std::uint8_t(delta & 0xFF);
        out[b.offsetField + 1] = std::uint8_t((delta >> 8) & 0xFF);
    }
    return out;
}

std::vector<std::uint8_t> ActionWriter::build() const
{
    std::vector<std::uint8_t> out = body();
    out.push_back(0);
    return out;
}

} // namespace swftest
