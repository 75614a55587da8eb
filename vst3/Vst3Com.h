// How our VST3 objects are laid out for their hosts: each interface a host holds is a pointer to a
// Face, its function table first (as VST3 lays an interface out), then the object it belongs to; the
// object keeps one Face per interface and one reference count for all. And the small conversions
// every part needs.
#pragma once

#include <travesty/base.h>

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

// ASCII into a VST3 UTF-16 string of `size` units, cut short and terminated.
inline void putText(int16_t* to, int size, const char* from)
{
    int i = 0;
    for (; i + 1 < size && from[i]; ++i)
        to[i] = static_cast<int16_t>(static_cast<unsigned char>(from[i]));
    to[i] = 0;
}

}  // namespace Vst3Face
