// The host's own VST3 objects: stream, parameter queues, event list, component handler, host
// application and the text helpers.

#include "ComponentHandler.h"
#include "EventList.h"
#include "HostApplication.h"
#include "HostStrings.h"
#include "MemoryStream.h"
#include "ParameterChanges.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

using namespace Steinberg;

namespace krb::host
{
namespace
{

TEST(MemoryStreamTest, WritesReadsAndSeeksLikeAFile)
{
  IPtr<MemoryStream> stream = owned(new MemoryStream);
  char data[] = "abcdef";
  int32 count = 0;
  ASSERT_EQ(stream->write(data, 6, &count), kResultOk);
  EXPECT_EQ(count, 6);
  int64 position = -1;
  EXPECT_EQ(stream->seek(2, IBStream::kIBSeekSet, &position), kResultOk);
  EXPECT_EQ(position, 2);

  char buffer[8] = {};
  EXPECT_EQ(stream->read(buffer, 8, &count), kResultOk);
  EXPECT_EQ(count, 4) << "a read past the end returns what is there";
  EXPECT_EQ(std::string(buffer, 4), "cdef");
  EXPECT_EQ(stream->read(buffer, 1, &count), kResultFalse) << "nothing left";
  EXPECT_EQ(count, 0);

  EXPECT_EQ(stream->seek(-1, IBStream::kIBSeekEnd, &position), kResultOk);
  EXPECT_EQ(position, 5);
  EXPECT_EQ(stream->seek(-10, IBStream::kIBSeekCur, nullptr), kInvalidArgument);
  EXPECT_EQ(stream->tell(&position), kResultOk);
  EXPECT_EQ(position, 5);

  // A seek past the end and a write leave zeros in the gap.
  EXPECT_EQ(stream->seek(8, IBStream::kIBSeekSet, nullptr), kResultOk);
  char tail = 'z';
  EXPECT_EQ(stream->write(&tail, 1, nullptr), kResultOk);
  const std::vector<std::uint8_t> expected = {'a', 'b', 'c', 'd', 'e', 'f', 0, 0, 'z'};
  EXPECT_EQ(stream->Data(), expected);

  int64 size = 0;
  EXPECT_EQ(stream->getStreamSize(size), kResultOk);
  EXPECT_EQ(size, 9);
  EXPECT_EQ(stream->setStreamSize(3), kResultOk);
  EXPECT_EQ(stream->Data().size(), 3u);
  EXPECT_EQ(stream->read(nullptr, 4, &count), kInvalidArgument);
}

TEST(MemoryStreamTest, AnswersQueriesForItsInterfaces)
{
  IPtr<MemoryStream> stream = owned(new MemoryStream);
  void* obj = nullptr;
  ASSERT_EQ(stream->queryInterface(ISizeableStream::iid, &obj), kResultOk);
  EXPECT_EQ(obj, static_cast<ISizeableStream*>(stream.get()));
  static_cast<ISizeableStream*>(obj)->release();
  EXPECT_EQ(stream->queryInterface(Vst::IEventList::iid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST(ParameterChangesTest, QueueKeepsPointsInOffsetOrder)
{
  ParamValueQueue queue(3);
  queue.Reset(7);
  int32 index = -1;
  EXPECT_EQ(queue.addPoint(30, 0.3, index), kResultOk);
  EXPECT_EQ(queue.addPoint(10, 0.1, index), kResultOk);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(queue.addPoint(20, 0.2, index), kResultOk);
  EXPECT_EQ(queue.addPoint(10, 0.15, index), kResultOk) << "same offset replaces";
  EXPECT_EQ(index, 0);
  EXPECT_EQ(queue.addPoint(40, 0.4, index), kResultFalse) << "pool used up";

  ASSERT_EQ(queue.getPointCount(), 3);
  const struct
  {
    int32 mOffset;
    double mValue;
  } kExpected[] = {{10, 0.15}, {20, 0.2}, {30, 0.3}};
  for (int32 i = 0; i < 3; ++i)
  {
    int32 offset = 0;
    Vst::ParamValue value = 0;
    ASSERT_EQ(queue.getPoint(i, offset, value), kResultOk);
    EXPECT_EQ(offset, kExpected[i].mOffset);
    EXPECT_DOUBLE_EQ(value, kExpected[i].mValue);
  }
  int32 offset = 0;
  Vst::ParamValue value = 0;
  EXPECT_EQ(queue.getPoint(3, offset, value), kInvalidArgument);
  EXPECT_EQ(queue.getParameterId(), 7u);
}

TEST(ParameterChangesTest, OneQueuePerParameterFromAFixedPool)
{
  ParameterChanges changes(2, 4);
  int32 first = -1;
  int32 again = -1;
  Vst::IParamValueQueue* a = changes.addParameterData(5, first);
  Vst::IParamValueQueue* b = changes.addParameterData(5, again);
  EXPECT_EQ(a, b);
  EXPECT_EQ(first, again);
  int32 index = -1;
  EXPECT_NE(changes.addParameterData(6, index), nullptr);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(changes.addParameterData(9, index), nullptr) << "pool used up";
  EXPECT_EQ(changes.getParameterCount(), 2);
  EXPECT_EQ(changes.getParameterData(2), nullptr);

  EXPECT_TRUE(changes.AddChange(6, 12, 0.75));
  Vst::ParamValue value = 0;
  EXPECT_TRUE(changes.LastValue(6, value));
  EXPECT_DOUBLE_EQ(value, 0.75);
  changes.Clear();
  EXPECT_EQ(changes.getParameterCount(), 0);
  EXPECT_FALSE(changes.LastValue(6, value));
}

TEST(EventListTest, HoldsEventsUpToItsCapacityAndSortsByOffset)
{
  EventList events(3);
  EXPECT_TRUE(events.AddNoteOn(40, 36, 1.0f));
  EXPECT_TRUE(events.AddNoteOff(10, 36));
  EXPECT_TRUE(events.AddNoteOn(10, 38, 0.5f, 2, 7, 100));
  EXPECT_FALSE(events.AddNoteOn(0, 40, 1.0f)) << "full";
  EXPECT_EQ(events.getEventCount(), 3);

  events.SortByOffset();
  Vst::Event e{};
  ASSERT_EQ(events.getEvent(0, e), kResultOk);
  EXPECT_EQ(e.type, Vst::Event::kNoteOffEvent) << "stable: the note-off was added first at offset 10";
  ASSERT_EQ(events.getEvent(1, e), kResultOk);
  EXPECT_EQ(e.type, Vst::Event::kNoteOnEvent);
  EXPECT_EQ(e.noteOn.pitch, 38);
  EXPECT_EQ(e.noteOn.channel, 2);
  EXPECT_EQ(e.noteOn.noteId, 7);
  EXPECT_EQ(e.noteOn.length, 100);
  EXPECT_FLOAT_EQ(e.noteOn.velocity, 0.5f);
  ASSERT_EQ(events.getEvent(2, e), kResultOk);
  EXPECT_EQ(e.sampleOffset, 40);
  EXPECT_EQ(events.getEvent(3, e), kInvalidArgument);
  EXPECT_EQ(events.getEvent(-1, e), kInvalidArgument);
}

TEST(ComponentHandlerTest, RecordsEditsInOrderAndChecksTheirBalance)
{
  IPtr<ComponentHandler> handler = owned(new ComponentHandler);
  std::vector<EHandlerCall> heard;
  handler->SetListener([&heard](const HandlerCall& call) { heard.push_back(call.mCall); });

  handler->beginEdit(3);
  handler->performEdit(3, 0.25);
  handler->performEdit(3, 0.5);
  handler->endEdit(3);
  handler->restartComponent(Vst::kParamValuesChanged | Vst::kLatencyChanged);
  handler->setDirty(true);

  EXPECT_EQ(handler->Count(EHandlerCall::kPerformEdit), 2u);
  EXPECT_EQ(handler->Count(EHandlerCall::kPerformEdit, 4), 0u);
  EXPECT_EQ(handler->LastPerformedValue(3), 0.5);
  EXPECT_FALSE(handler->LastPerformedValue(4).has_value());
  EXPECT_TRUE(handler->EditsBalanced());
  const std::vector<HandlerCall> calls = handler->Calls();
  ASSERT_EQ(calls.size(), 6u);
  EXPECT_EQ(calls[4].mFlags, Vst::kParamValuesChanged | Vst::kLatencyChanged);
  EXPECT_EQ(calls[5].mValue, 1.0);
  EXPECT_EQ(calls[0].mThread, std::this_thread::get_id());
  EXPECT_EQ(heard.size(), 6u);

  handler->Clear();
  handler->performEdit(1, 0.1);
  EXPECT_FALSE(handler->EditsBalanced()) << "performEdit without beginEdit";
  handler->Clear();
  handler->beginEdit(1);
  EXPECT_FALSE(handler->EditsBalanced()) << "edit left open";
}

TEST(HostApplicationTest, NamesItselfAndCreatesMessages)
{
  IPtr<HostApplication> host = owned(new HostApplication);
  Vst::String128 name = {};
  ASSERT_EQ(host->getName(name), kResultOk);
  EXPECT_EQ(Utf16ToUtf8(name), "krbhost");

  alignas(8) TUID messageCid;
  Vst::IMessage::iid.toTUID(messageCid);
  void* obj = nullptr;
  ASSERT_EQ(host->createInstance(messageCid, messageCid, &obj), kResultOk);
  IPtr<Vst::IMessage> message = owned(static_cast<Vst::IMessage*>(obj));
  message->setMessageID("Hello");
  EXPECT_STREQ(message->getMessageID(), "Hello");

  Vst::IAttributeList* attributes = message->getAttributes();
  ASSERT_NE(attributes, nullptr);
  int64 number = 0;
  double real = 0;
  EXPECT_EQ(attributes->setInt("n", 42), kResultOk);
  EXPECT_EQ(attributes->getInt("n", number), kResultOk);
  EXPECT_EQ(number, 42);
  EXPECT_EQ(attributes->getFloat("n", real), kResultFalse) << "wrong type";
  const std::u16string text = u"Grüße";
  EXPECT_EQ(attributes->setString("s", reinterpret_cast<const Vst::TChar*>(text.c_str())), kResultOk);
  Vst::TChar back[4] = {};
  EXPECT_EQ(attributes->getString("s", back, sizeof(back)), kResultOk);
  EXPECT_EQ(Utf16ToUtf8(back, 4), "Grü") << "cut to the buffer, zero-terminated";
  const char blob[3] = {1, 2, 3};
  EXPECT_EQ(attributes->setBinary("b", blob, 3), kResultOk);
  const void* data = nullptr;
  uint32 size = 0;
  EXPECT_EQ(attributes->getBinary("b", data, size), kResultOk);
  ASSERT_EQ(size, 3u);
  EXPECT_EQ(std::memcmp(data, blob, 3), 0);

  alignas(8) TUID otherCid = {1};
  EXPECT_EQ(host->createInstance(otherCid, messageCid, &obj), kNoInterface);
  EXPECT_EQ(obj, nullptr);
}

TEST(HostStringsTest, ConvertsBetweenUtf8AndUtf16)
{
  const std::string text = "Kick \xC3\xA9 \xF0\x9D\x84\x9E"; // é and a character outside the BMP
  const std::u16string wide = Utf8ToUtf16(text);
  EXPECT_EQ(wide.size(), 9u);
  EXPECT_EQ(Utf16ToUtf8(reinterpret_cast<const char16*>(wide.c_str()), wide.size()), text);

  Vst::String128 fixed;
  CopyToString128(std::string(200, 'x'), fixed);
  EXPECT_EQ(Utf16ToUtf8(fixed).size(), 127u);
  EXPECT_EQ(Utf8ToUtf16("\xC3"), u"\uFFFD") << "a cut sequence becomes a replacement character";

  const char unterminated[4] = {'a', 'b', 'c', 'd'};
  EXPECT_EQ(FixedToString(unterminated), "abcd");
}

TEST(HostStringsTest, ClassIdHexRoundTrips)
{
  const FUID id(0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210);
  const std::string hex = CidToHex(id.toTUID());
  EXPECT_EQ(hex, "0123456789ABCDEFFEDCBA9876543210");
  alignas(8) TUID back = {};
  ASSERT_TRUE(HexToCid(hex, back));
  EXPECT_TRUE(IidEqual(back, id.toTUID()));
  EXPECT_FALSE(HexToCid("0123", back));
  EXPECT_FALSE(HexToCid(std::string(31, '0') + "g", back));
}

} // namespace
} // namespace krb::host
