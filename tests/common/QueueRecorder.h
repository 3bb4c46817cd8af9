#pragma once

// Stands in for the editor when a test drains one of the plug-in's queues: keeps every record handed
// to it, in order.

#include <cstdint>
#include <cstring>
#include <vector>

namespace krbtest
{
struct QueueRecorder
{
  struct Delivery
  {
    int ctrlTag;
    int msgTag;
    int dataSize;
    std::vector<uint8_t> bytes;

    // The record as its queue's type (as much of it as was delivered).
    template <class Record>
    Record As() const
    {
      Record record{};
      std::memcpy(&record, bytes.data(), sizeof(Record) < bytes.size() ? sizeof(Record) : bytes.size());
      return record;
    }
  };

  void SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data)
  {
    const auto* p = static_cast<const uint8_t*>(data);
    mDeliveries.push_back({ctrlTag, msgTag, dataSize, std::vector<uint8_t>(p, p + dataSize)});
  }

  std::vector<Delivery> mDeliveries;
};
} // namespace krbtest
