#pragma once
// FUnknown plumbing for objects written on the SDK's interfaces: queryInterface over a list of
// interfaces and the reference count. The host's own objects use HostObject and EmbeddedHostObject;
// an object that takes its interfaces from classes of its own (a plug-in's processor and controller
// parts) uses CountedObject or UncountedObject with the list of what it answers for.

#include "pluginterfaces/base/funknown.h"

#include <atomic>
#include <cstring>
#include <tuple>

namespace krb::host
{

// Compares two 16-byte ids. The SDK's iidEqual reads them as two uint64 values, which is
// undefined for the unaligned ids a plug-in may hand over.
inline bool IidEqual(const void* a, const void* b) { return std::memcmp(a, b, sizeof(Steinberg::TUID)) == 0; }

// An interface that an object holds more than once (IPluginBase beneath both IComponent and
// IEditController), answered through one of the interfaces above it.
template <typename Interface, typename Through>
struct Via
{
  using Type = Interface;
  template <typename Self>
  static void* Cast(Self* self)
  {
    return static_cast<Interface*>(static_cast<Through*>(self));
  }
};

// The interfaces an object answers for, in order; FUnknown is answered by the first.
template <typename... Interfaces>
struct Answers
{
};

namespace detail
{

template <typename Interface>
struct Answer
{
  using Type = Interface;
  template <typename Self>
  static void* Cast(Self* self)
  {
    return static_cast<Interface*>(self);
  }
};
template <typename Interface, typename Through>
struct Answer<Via<Interface, Through>> : Via<Interface, Through>
{
};

template <typename... Interfaces, typename Self>
void* FindInterface(Self* self, const Steinberg::TUID iid)
{
  using First = detail::Answer<std::tuple_element_t<0, std::tuple<Interfaces...>>>;
  if (IidEqual(iid, Steinberg::FUnknown::iid.toTUID()))
    return static_cast<Steinberg::FUnknown*>(static_cast<typename First::Type*>(First::Cast(self)));
  void* found = nullptr;
  auto consider = [&](auto answer) {
    using A = decltype(answer);
    if (found == nullptr && IidEqual(iid, A::Type::iid.toTUID()))
      found = A::Cast(self);
  };
  (consider(detail::Answer<Interfaces>{}), ...);
  return found;
}

template <typename List>
struct AnswerList;
template <typename... Interfaces>
struct AnswerList<Answers<Interfaces...>>
{
  template <typename Self>
  static void* Find(Self* self, const Steinberg::TUID iid)
  {
    return FindInterface<Interfaces...>(self, iid);
  }
};

} // namespace detail

// A reference-counted object made with new (start count 1, use Steinberg::owned()) from the given
// bases, answering for the interfaces in List (an Answers<...>); it deletes itself when the last
// reference goes.
template <typename List, typename... Bases>
class CountedObject : public Bases...
{
public:
  CountedObject() = default;
  virtual ~CountedObject() = default;
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
  {
    if (obj == nullptr)
      return Steinberg::kInvalidArgument;
    *obj = detail::AnswerList<List>::Find(this, iid);
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

// An object whose reference count is ignored: it lives inside its owner (the process buffers' event
// list and parameter queues) or for the whole module, and whoever receives it must not keep it longer.
template <typename List, typename... Bases>
class UncountedObject : public Bases...
{
public:
  UncountedObject() = default;
  virtual ~UncountedObject() = default;
  UncountedObject(const UncountedObject&) = delete;
  UncountedObject& operator=(const UncountedObject&) = delete;

  Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID iid, void** obj) override
  {
    if (obj == nullptr)
      return Steinberg::kInvalidArgument;
    *obj = detail::AnswerList<List>::Find(this, iid);
    if (*obj == nullptr)
      return Steinberg::kNoInterface;
    return Steinberg::kResultOk;
  }
  Steinberg::uint32 PLUGIN_API addRef() override { return 1; }
  Steinberg::uint32 PLUGIN_API release() override { return 1; }
};

// The host's own objects, which derive from the interfaces they answer for. (Classes rather than
// aliases, so that a derived object can name its base as HostObject.)
template <typename... Interfaces>
class HostObject : public CountedObject<Answers<Interfaces...>, Interfaces...>
{
};
template <typename... Interfaces>
class EmbeddedHostObject : public UncountedObject<Answers<Interfaces...>, Interfaces...>
{
};

} // namespace krb::host
