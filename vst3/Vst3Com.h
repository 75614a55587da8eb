// How our VST3 objects are laid out for their hosts: each interface a host holds is a pointer to a
// Face, its function table first (as VST3 lays an interface out), then the object it belongs to; the
// object keeps one Face per interface and one reference count for all. And the small conversions
// every part needs.
#pragma once

#include <travesty/base.h>

#include <atomic>
#include <cstdint>
#include <cstring>

namespace Vst3Face {

template <class Owner> struct Face {
    const void* table;
    Owner* owner;
};

template <class Owner> Owner& ownerOf(void* self) { return *static_cast<Face<Owner>*>(self)->owner; }

// The interface pointer a host holds for a Face.
template <class Interface, class Owner> Interface** asInterface(Face<Owner>& face)
{
    return static_cast<Interface**>(static_cast<void*>(&face));
}

inline bool sameId(const v3_tuid a, const v3_tuid b) { return std::memcmp(a, b, sizeof(v3_tuid)) == 0; }

// The end of an object's queryInterface once it has picked the face for the asked ID (null: none it
// has): that face, with a reference for the caller, or no interface.
inline v3_result answerQuery(void* found, void** object, std::atomic<std::uint32_t>& references)
{
    *object = found;
    if (!found)
        return V3_NO_INTERFACE;
    references.fetch_add(1, std::memory_order_relaxed);
    return V3_OK;
}

// FUnknown, the first three calls of every face, for an object with `query(iid, object)` and one
// `references` count for all its faces; the last release deletes it.
template <class Owner> struct Counted {
    static v3_result V3_API queryInterface(void* self, const v3_tuid iid, void** object)
    {
        return ownerOf<Owner>(self).query(iid, object);
    }
    static uint32_t V3_API addReference(void* self)
    {
        return ownerOf<Owner>(self).references.fetch_add(1, std::memory_order_relaxed) + 1;
    }
    static uint32_t V3_API release(void* self)
    {
        Owner& owner = ownerOf<Owner>(self);
        const std::uint32_t left = owner.references.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete &owner;
        return left;
    }
    static constexpr v3_funknown unknown{queryInterface, addReference, release};
};
// A host's object kept in place of the one held before: a reference taken on the new one, the old one's
// given back (either may be null).
template <class Interface> void replaceHeld(Interface**& held, Interface** next)
{
    if (next)
        v3_cpp_obj_ref(next);
    if (held)
        v3_cpp_obj_unref(held);
    held = next;
}

// ASCII into a VST3 UTF-16 string of `size` units, cut short and terminated.
inline void putText(int16_t* to, int size, const char* from)
{
    int i = 0;
    for (; i + 1 < size && from[i]; ++i)
        to[i] = static_cast<int16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

}  // namespace Vst3Face
