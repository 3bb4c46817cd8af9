#pragma once
// The host's IEventList: a fixed-capacity list (no allocation while processing).

#include "HostObject.h"

#include "pluginterfaces/vst/ivstevents.h"

#include <cstddef>
#include <vector>

namespace krb::host
{

class EventList : public EmbeddedHostObject<Steinberg::Vst::IEventList>
{
public:
  explicit EventList(std::size_t capacity = 2048);

  Steinberg::int32 PLUGIN_API getEventCount() override;
  Steinberg::tresult PLUGIN_API getEvent(Steinberg::int32 index, Steinberg::Vst::Event& e) override;
  // kResultFalse when the list is full.
  Steinberg::tresult PLUGIN_API addEvent(Steinberg::Vst::Event& e) override;

  // velocity 0..1; length in frames (0 when unknown); noteId -1 when none.
  bool AddNoteOn(Steinberg::int32 sampleOffset, Steinberg::int16 pitch, float velocity, Steinberg::int16 channel = 0,
                 Steinberg::int32 noteId = -1, Steinberg::int32 length = 0, Steinberg::int32 busIndex = 0);
  bool AddNoteOff(Steinberg::int32 sampleOffset, Steinberg::int16 pitch, float velocity = 0.0f,
                  Steinberg::int16 channel = 0, Steinberg::int32 noteId = -1, Steinberg::int32 busIndex = 0);

  void Clear() { mCount = 0; }
  std::size_t Count() const { return mCount; }
  const Steinberg::Vst::Event& At(std::size_t index) const { return mEvents[index]; }
  // Orders the events by sample offset, keeping the order of events at the same offset.
  void SortByOffset();

private:
  std::vector<Steinberg::Vst::Event> mEvents;
  std::size_t mCount = 0;
};

} // namespace krb::host
