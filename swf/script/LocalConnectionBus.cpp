#include "swf/script/LocalConnectionBus.h"

namespace swf::script {

LocalConnectionBus& LocalConnectionBus::instance()
{
    static LocalConnectionBus bus;
    return bus;
}

bool LocalConnectionBus::connect(const std::string& name, const void* owner, std::uint64_t receiver)
{
    const std::lock_guard lock(m_mutex);
    return m_names.emplace(name, Connection {owner, receiver}).second;
}

bool LocalConnectionBus::close(const void* owner, std::uint64_t receiver)
{
    const std::lock_guard lock(m_mutex);
    for (auto it = m_names.begin(); it != m_names.end(); ++it) {
        if (it->second.owner == owner && it->second.receiver == receiver) {
            m_names.erase(it);
            return true;
        }
    }
    return false;
}

void LocalConnectionBus::closeAll(const void* owner)
{
    const std::lock_guard lock(m_mutex);
    std::erase_if(m_names, [owner](const auto& entry) { return entry.second.owner == owner; });
    m_waiting.erase(owner);
}

bool LocalConnectionBus::send(const std::string& name, std::string method, std::string arguments)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_names.find(name);
    if (it == m_names.end())
        return false;
    std::vector<Message>& waiting = m_waiting[it->second.owner];
    if (waiting.size() >= kMaxWaiting)
        return false;
    waiting.push_back({it->second.receiver, std::move(method), std::move(arguments)});
    return true;
}

bool LocalConnectionBus::post(const void* owner, Message message)
{
    const std::lock_guard lock(m_mutex);
    std::vector<Message>& waiting = m_waiting[owner];
    if (waiting.size() >= kMaxWaiting)
        return false;
    waiting.push_back(std::move(message));
    return true;
}

std::vector<LocalConnectionBus::Message> LocalConnectionBus::take(const void* owner)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_waiting.find(owner);
    if (it == m_waiting.end())
        return {};
    std::vector<Message> messages = std::move(it->second);
    m_waiting.erase(it);
    return messages;
}

} // namespace swf::script
