#include "vst3/Vst3Link.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <unistd.h>
#endif

#include <atomic>
#include <cstring>
#include <new>

#include "vst3/SharedEffect.h"
#include "vst3/Vst3Com.h"

namespace Vst3Face {

namespace {

constexpr const char* linkId = "TarnLink";
constexpr const char* tokenKey = "effect";
constexpr const char* processKey = "process";

std::int64_t processId()
{
#if defined(_WIN32)
    return static_cast<std::int64_t>(GetCurrentProcessId());
#else
    return static_cast<std::int64_t>(getpid());
#endif
}

// The message and its attribute list, one object: two integers are all it carries. A host may keep a
// reference past notify, so it is counted.
struct LinkMessage {
    Face<LinkMessage> message{}, attributes{};
    std::atomic<std::uint32_t> references{1};
    std::int64_t token = 0, process = 0;

    v3_result query(const v3_tuid iid, void** object)
    {
        if (!object)
            return V3_INVALID_ARG;
        void* found = nullptr;
        if (sameId(iid, v3_funknown_iid) || sameId(iid, v3_message_iid))
            found = &message;
        else if (sameId(iid, v3_attribute_list_iid))
            found = &attributes;
        return answerQuery(found, object, references);
    }

    static const char* V3_API messageId(void*) { return linkId; }
    static void V3_API setMessageId(void*, const char*) {}
    static v3_attribute_list** V3_API getAttributes(void* self)
    {
        // Not a new reference: the list lives as long as the message.
        return asInterface<v3_attribute_list>(ownerOf<LinkMessage>(self).attributes);
    }

    static std::int64_t* field(LinkMessage& m, const char* key)
    {
        if (key && std::strcmp(key, tokenKey) == 0)
            return &m.token;
        if (key && std::strcmp(key, processKey) == 0)
            return &m.process;
        return nullptr;
    }
    static v3_result V3_API setInt(void* self, const char* key, int64_t value)
    {
        std::int64_t* f = field(ownerOf<LinkMessage>(self), key);
        if (!f)
            return V3_FALSE;
        *f = value;
        return V3_OK;
    }
    static v3_result V3_API getInt(void* self, const char* key, int64_t* value)
    {
        std::int64_t* f = field(ownerOf<LinkMessage>(self), key);
        if (!f || !value)
            return V3_FALSE;
        *value = *f;
        return V3_OK;
    }
    static v3_result V3_API setFloat(void*, const char*, double) { return V3_FALSE; }
    static v3_result V3_API getFloat(void*, const char*, double*) { return V3_FALSE; }
    static v3_result V3_API setString(void*, const char*, const int16_t*) { return V3_FALSE; }
    static v3_result V3_API getString(void*, const char*, int16_t*, uint32_t) { return V3_FALSE; }
    static v3_result V3_API setBinary(void*, const char*, const void*, uint32_t) { return V3_FALSE; }
    static v3_result V3_API getBinary(void*, const char*, const void**, uint32_t*) { return V3_FALSE; }
};

const v3_message_cpp messageTable = {Counted<LinkMessage>::unknown,
                                     {LinkMessage::messageId, LinkMessage::setMessageId, LinkMessage::getAttributes}};
const v3_attribute_list_cpp attributesTable = {Counted<LinkMessage>::unknown,
                                               {LinkMessage::setInt, LinkMessage::getInt, LinkMessage::setFloat,
                                                LinkMessage::getFloat, LinkMessage::setString, LinkMessage::getString,
                                                LinkMessage::setBinary, LinkMessage::getBinary}};

}  // namespace

void sendLink(v3_connection_point** peer, std::uint64_t token)
{
    if (!peer)
        return;
    auto* m = new (std::nothrow) LinkMessage;
    if (!m)
        return;
    m->message = {&messageTable, m};
    m->attributes = {&attributesTable, m};
    m->token = static_cast<std::int64_t>(token);
    m->process = processId();
    v3_cpp_obj(peer)->notify(peer, asInterface<v3_message>(m->message));
    Counted<LinkMessage>::release(&m->message);
}

SharedEffect* linkedEffect(v3_message** message)
{
    if (!message)
        return nullptr;
    const char* id = v3_cpp_obj(message)->get_message_id(message);
    if (!id || std::strcmp(id, linkId) != 0)
        return nullptr;
    v3_attribute_list** attributes = v3_cpp_obj(message)->get_attributes(message);
    std::int64_t token = 0, process = 0;
    if (!attributes || v3_cpp_obj(attributes)->get_int(attributes, tokenKey, &token) != V3_OK ||
        v3_cpp_obj(attributes)->get_int(attributes, processKey, &process) != V3_OK || process != processId())
        return nullptr;
    return SharedEffect::find(static_cast<std::uint64_t>(token));
}

}  // namespace Vst3Face
