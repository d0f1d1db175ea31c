#pragma once

// How movies in one program reach each other (LocalConnection): a
// receiver connects under a name, a sender sends a method name and its
// arguments to a name. Movies share no objects, so the arguments travel
// as bytes; each side collects what is waiting for it at its own frame
// boundary, in the order it was sent. Every player in the program shares
// the one bus; a machine's names go when it does.

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace swf::script {

class LocalConnectionBus {
public:
    static LocalConnectionBus& instance();

    // Messages and replies a machine may have waiting before more are
    // turned away, and the bytes one message may carry (as the reference
    // player allows).
    static constexpr std::size_t kMaxWaiting = 256;
    static constexpr std::size_t kMaxMessageBytes = 40 * 1024;

    // `owner` is the machine, `receiver` its handle for the connection.
    // False when the name is taken.
    bool connect(const std::string& name, const void* owner, std::uint64_t receiver);
    // False when the receiver had no name.
    bool close(const void* owner, std::uint64_t receiver);
    void closeAll(const void* owner);

    struct Message {
        std::uint64_t receiver = 0;
        std::string method;
        std::string arguments;
    };
    // False when nobody is connected under the name or too much waits.
    bool send(const std::string& name, std::string method, std::string arguments);
    // A message for one of the owner's own objects (the answer to its
    // send), delivered with the rest; false when too much waits.
    bool post(const void* owner, Message message);
    std::vector<Message> take(const void* owner);

private:
    struct Connection {
        const void* owner = nullptr;
        std::uint64_t receiver = 0;
    };
    std::mutex m_mutex;
    std::map<std::string, Connection> m_names;
    std::map<const void*, std::vector<Message>> m_waiting;
};

} // namespace swf::script
