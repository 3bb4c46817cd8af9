#include "EventList.h"

#include <algorithm>

using namespace Steinberg;

namespace krb::host
{

EventList::EventList(std::size_t capacity)
  : mEvents(capacity)
{
}

int32 PLUGIN_API EventList::getEventCount() { return static_cast<int32>(mCount); }

tresult PLUGIN_API EventList::getEvent(int32 index, Vst::Event& e)
{
  if (index < 0 || static_cast<std::size_t>(index) >= mCount)
    return kInvalidArgument;
  e = mEvents[static_cast<std::size_t>(index)];
  return kResultOk;
}

tresult PLUGIN_API EventList::addEvent(Vst::Event& e)
{
  if (mCount >= mEvents.size())
    return kResultFalse;
  mEvents[mCount++] = e;
  return kResultOk;
}

bool EventList::AddNoteOn(int32 sampleOffset, int16 pitch, float velocity, int16 channel, int32 noteId, int32 length,
                          int32 busIndex)
{
  Vst::Event e{};
  e.busIndex = busIndex;
  e.sampleOffset = sampleOffset;
  e.type = Vst::Event::kNoteOnEvent;
  e.noteOn.channel = channel;
  e.noteOn.pitch = pitch;
  e.noteOn.tuning = 0.0f;
  e.noteOn.velocity = velocity;
  e.noteOn.length = length;
  e.noteOn.noteId = noteId;
  return addEvent(e) == kResultOk;
}

bool EventList::AddNoteOff(int32 sampleOffset, int16 pitch, float velocity, int16 channel, int32 noteId, int32 busIndex)
{
  Vst::Event e{};
  e.busIndex = busIndex;
  e.sampleOffset = sampleOffset;
  e.type = Vst::Event::kNoteOffEvent;
  e.noteOff.channel = channel;
  e.noteOff.pitch = pitch;
  e.noteOff.velocity = velocity;
  e.noteOff.noteId = noteId;
  e.noteOff.tuning = 0.0f;
  return addEvent(e) == kResultOk;
}

void EventList::SortByOffset()
{
  std::stable_sort(mEvents.begin(), mEvents.begin() + static_cast<std::ptrdiff_t>(mCount),
                   [](const Vst::Event& a, const Vst::Event& b) { return a.sampleOffset < b.sampleOffset; });
}

} // namespace krb::host
