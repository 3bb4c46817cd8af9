#pragma once
// FUnknown plumbing for the host's own objects: queryInterface over a list of interfaces and the
// reference count.

#include "pluginterfaces/base/funknown.h"

#include <atomic>
#include <cstring>
#include <tuple>

namespace krb::host {

// Compares two 16-byte ids. The SDK's iidEqual reads them as two uint64 values, which is
// undefined for the unaligned ids a plug-in may hand over.
inline bool IidEqual(const void* a, const void* b)
{
    return std::memcmp(a, b, sizeof(Steinberg::TUID)) == 0;
}

template <typename... Interfaces>
class InterfaceList : public Interfaces...
{
public:
    // Finds the interface with the given id; FUnknown maps to the first interface.
    void* FindInterface(const Steinberg::TUID iid)
    {
        using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;
        if (IidEqual(iid, Steinberg::FUnknown::iid.toTUID()))
            return static_cast<Steinberg::FUnknown*>(static_cast<First*>(this));
        void* found = nullptr;
        auto consider = [&](void* candidate, const Steinberg::FUID& id) {
            if (found == nullptr && IidEqual(iid, id.toTUID()))
                found = candidate;
        };
        (consider(static_cast<Interfaces*>(this), Interfaces::iid), ...);
        return found;
    }
};

// A reference-counted object made with new (start count 1, use Steinberg::owned()); it deletes
// itself when the last reference goes.
template <typename... Interfaces>
class HostObject : public InterfaceList<Interfaces...>
{
public:
    HostObject() = default;
    virtual ~HostObject() = default;
    HostObject(const HostObject&) = delete;
    HostObject& operator=(const HostObject&) = delete;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
    {
        if (obj == nullptr)
            return Steinberg::kInvalidArgument;
        *obj = this->FindInterface(iid);
        if (*obj == nullptr)
            return Steinberg::kNoInterface;
        addRef();
        return Steinberg::kResultOk;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return ++mRefCount; }
    Steinberg::uint32 PLUGIN_API release() override
    {
        const Steinberg::uint32 count = --mRefCount;
        if (count == 0)
            delete this;
        return count;
    }

private:
    std::atomic<Steinberg::uint32> mRefCount{1};
};

// An object that lives inside its owner (the process buffers' event list and parameter queues):
// the reference count is ignored, and the plug-in must not keep it past the call it got it in.
template <typename... Interfaces>
class EmbeddedHostObject : public InterfaceList<Interfaces...>
{
public:
    EmbeddedHostObject() = default;
    virtual ~EmbeddedHostObject() = default;
    EmbeddedHostObject(const EmbeddedHostObject&) = delete;
    EmbeddedHostObject& operator=(const EmbeddedHostObject&) = delete;

    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
    {
        if (obj == nullptr)
            return Steinberg::kInvalidArgument;
        *obj = this->FindInterface(iid);
        if (*obj == nullptr)
            return Steinberg::kNoInterface;
        addRef();
        return Steinberg::kResultOk;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
    Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

} // namespace krb::host
