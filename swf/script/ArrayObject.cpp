#include "swf/script/ArrayObject.h"

#include <algorithm>
#include <cmath>

#include "swf/script/Machine.h"

namespace swf::script {

std::optional<std::uint32_t> ArrayObject::indexOf(double number)
{
    if (number >= 0 && number < 4294967295.0 && number == std::floor(number))
        return std::uint32_t(number);
    return std::nullopt;
}

std::optional<std::uint32_t> ArrayObject::indexOf(String* key)
{
    const std::string_view text = key->view();
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0'))
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + std::uint64_t(c - '0');
    }
    if (value >= 4294967295ull)
        return std::nullopt;
    return std::uint32_t(value);
}

String* ArrayObject::indexKey(Machine& machine, std::uint32_t index)
{
    return machine.intern(machine.numberToString(double(index))->view());
}

void ArrayObject::markHole(std::size_t i, bool hole)
{
    if (!hole && !m_holes)
        return;
    if (!m_holes)
        m_holes = std::make_unique<std::vector<bool>>(m_elements.size(), false);
    if (m_holes->size() < m_elements.size())
        m_holes->resize(m_elements.size(), true);
    (*m_holes)[i] = hole;
}

bool ArrayObject::getIndex(Machine& machine, std::uint32_t index, Value& out)
{
    if (index < m_elements.size()) {
        if (!isHole(index)) {
            out = m_elements[index];
            return true;
        }
    }
    if (!m_spilled)
        return false;
    Property* p = machine.findOwn(this, indexKey(machine, index));
    if (!p)
        return false;
    out = p->isAccessor() ? machine.get(this, p->key) : p->value;
    return true;
}

void ArrayObject::setIndex(Machine& machine, std::uint32_t index, const Value& value)
{
    if (index < m_elements.size()) {
        if (isHole(index) && m_spilled) {
            // A spilled property of this index takes the write.
            String* key = indexKey(machine, index);
            if (machine.findOwn(this, key)) {
                machine.set(static_cast<Object*>(this), key, value);
                return;
            }
        }
        m_elements[index] = value;
        markHole(index, false);
        return;
    }
    if (index >= m_elements.size() && index - m_elements.size() <= kMaxDenseGap && index < kMaxDense
        && !(m_spilled && machine.findOwn(this, indexKey(machine, index)))) {
        const std::size_t old = m_elements.size();
        if (index > old) {
            if (!m_holes)
                m_holes = std::make_unique<std::vector<bool>>(old, false);
        }
        m_elements.resize(std::size_t(index) + 1);
        if (m_holes)
            m_holes->resize(m_elements.size(), true);
        m_elements[index] = value;
        markHole(index, false);
        m_length = std::max(m_length, index + 1);
        machine.heap().reaccount(this);
        return;
    }
    // Far out: an ordinary property, and the length follows.
    String* key = indexKey(machine, index);
    if (Property* p = machine.findOwn(this, key)) {
        if (!(p->flags & PropertyFlag::ReadOnly) && !p->isAccessor())
            p->value = value;
        else
            machine.set(static_cast<Object*>(this), key, value);
    } else {
        properties().add(key, value, 0);
        machine.heap().reaccount(this);
    }
    m_spilled = true;
    m_length = std::max<std::uint32_t>(m_length, index + 1);
}

void ArrayObject::push(Machine& machine, const Value& value)
{
    if (m_length == m_elements.size() && m_length < kMaxDense) {
        m_elements.push_back(value);
        if (m_holes)
            m_holes->push_back(false);
        ++m_length;
        if ((m_elements.size() & (m_elements.size() - 1)) == 0)
            machine.heap().reaccount(this);
        return;
    }
    setIndex(machine, m_length, value);
}

void ArrayObject::assign(Machine& machine, std::vector<Value> values)
{
    if (m_spilled)
        removeSpilled(machine, 0);
    m_elements = std::move(values);
    m_holes.reset();
    m_length = std::uint32_t(std::min<std::size_t>(m_elements.size(), 0xFFFFFFFEu));
    machine.heap().reaccount(this);
}

void ArrayObject::removeSpilled(Machine& machine, std::uint32_t from)
{
    (void)machine;
    std::vector<const Property*> doomed;
    for (const Property& p : properties())
        if (const auto i = indexOf(p.key); i && *i >= from)
            doomed.push_back(&p);
    // Remove from the back so earlier pointers stay valid.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
        properties().remove(*it);
}

void ArrayObject::setLength(Machine& machine, double length)
{
    m_lengthAsSet = Value();
    if (!(length >= 0) || length >= 4294967295.0)
        length = length >= 4294967295.0 ? 4294967294.0 : 0;
    const std::uint32_t n = std::uint32_t(length);
    if (n < m_elements.size()) {
        m_elements.resize(n);
        if (m_holes)
            m_holes->resize(n);
    } else if (n > m_elements.size() && n - m_elements.size() <= kMaxDenseGap && n <= kMaxDense) {
        if (!m_holes)
            m_holes = std::make_unique<std::vector<bool>>(m_elements.size(), false);
        m_elements.resize(n);
        m_holes->resize(n, true);
    }
    if (m_spilled && n < m_length)
        removeSpilled(machine, n);
    m_length = n;
    machine.heap().reaccount(this);
}

bool ArrayObject::getSpecial(Machine& machine, String* key, Value& out)
{
    const Names& names = machine.names();
    if (key == names.length || (!machine.caseSensitive() && key->folded() == names.length)) {
        out = m_lengthAsSet.isUndefined() ? Value::number(m_length) : m_lengthAsSet;
        return true;
    }
    if (const auto index = indexOf(key); index && *index < m_elements.size() && !isHole(*index)) {
        out = m_elements[*index];
        return true;
    }
    return false;
}

bool ArrayObject::setSpecial(Machine& machine, String* key, const Value& value)
{
    const Names& names = machine.names();
    if (key == names.length || (!machine.caseSensitive() && key->folded() == names.length)) {
        if (Property* p = machine.findOwn(this, names.length); p && (p->flags & PropertyFlag::ReadOnly))
            return true;
        const double n = machine.toNumber(value);
        if (n >= 0 && n < 4294967295.0 && n == std::floor(n)) {
            setLength(machine, n);
        } else {
            m_lengthAsSet = value;
        }
        return true;
    }
    if (const auto index = indexOf(key)) {
        setIndex(machine, *index, value);
        return true;
    }
    return false;
}

bool ArrayObject::deleteSpecial(Machine& machine, String* key)
{
    (void)machine;
    if (const auto index = indexOf(key); index && *index < m_elements.size() && !isHole(*index)) {
        m_elements[*index] = Value();
        markHole(*index, true);
        return true;
    }
    return false;
}

void ArrayObject::specialKeys(Machine& machine, std::vector<Value>& keys)
{
    for (std::size_t i = m_elements.size(); i-- > 0;)
        if (!isHole(i))
            keys.push_back(Value::string(machine.numberToString(double(i))));
}

void ArrayObject::trace(Tracer& tracer)
{
    Object::trace(tracer);
    tracer.mark(m_lengthAsSet);
    for (const Value& v : m_elements)
        tracer.mark(v);
}

std::size_t ArrayObject::extraBytes() const
{
    return Object::extraBytes() + m_elements.capacity() * sizeof(Value) + (m_holes ? m_holes->capacity() / 8 : 0);
}

} // namespace swf::script
