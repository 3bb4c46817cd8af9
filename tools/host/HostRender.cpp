#include "HostRender.h"

#include "HostProcessing.h"

#include <algorithm>

using namespace Steinberg;

namespace krb::host
{

std::vector<const std::vector<double>*> RenderResult::AllChannels() const
{
  std::vector<const std::vector<double>*> channels;
  for (const RenderedBus& bus : mBuses)
    for (const auto& channel : bus.mChannels)
      channels.push_back(&channel);
  return channels;
}

namespace
{

bool ActivateForRender(HostPlugin& plugin, const RenderOptions& options, std::string& error)
{
  EBusSelection selection =
    options.mActivation == EBusActivation::kDefault ? EBusSelection::kDefault : EBusSelection::kAll;
  plugin.ActivateBuses(selection);
  if (options.mActivation == EBusActivation::kList)
  {
    const int32 count = plugin.BusCount(Vst::kAudio, Vst::kOutput);
    for (int32 bus : options.mActiveBuses)
    {
      if (bus < 0 || bus >= count)
      {
        error = "no audio output bus " + std::to_string(bus) + " (the plug-in has " + std::to_string(count) + ")";
        return false;
      }
    }
    for (int32 bus = 0; bus < count; ++bus)
    {
      const bool state =
        std::find(options.mActiveBuses.begin(), options.mActiveBuses.end(), bus) != options.mActiveBuses.end();
      plugin.ActivateBus(Vst::kAudio, Vst::kOutput, bus, state);
    }
  }
  return true;
}

std::string ResultText(tresult result) { return " (result " + std::to_string(result) + ")"; }

} // namespace

bool Render(HostPlugin& plugin, const RenderOptions& options, RenderResult& result, std::string& error)
{
  if (options.mBlockSize <= 0 || options.mSampleRate <= 0 || options.mFrames < 0)
  {
    error = "invalid render settings: block size and sample rate must be positive";
    return false;
  }
  if (plugin.Processor()->canProcessSampleSize(options.mSampleSize) != kResultOk)
  {
    error = std::string("the plug-in cannot process ") + (options.mSampleSize == Vst::kSample64 ? "64" : "32") +
            "-bit samples";
    return false;
  }
  if (!ActivateForRender(plugin, options, error))
    return false;

  HostProcessing processing(plugin);
  tresult status = processing.Setup(options.mSampleRate, options.mBlockSize, options.mSampleSize, options.mProcessMode);
  if (status != kResultOk)
  {
    error = "setupProcessing failed" + ResultText(status);
    return false;
  }
  processing.SetTempo(options.mTempo);
  processing.SetTimeSignature(options.mTimeSigNumerator, options.mTimeSigDenominator);
  processing.SetPlaying(options.mPlaying);

  result = RenderResult{};
  result.mFrames = options.mFrames;
  for (const BusDesc& bus : plugin.Buses(Vst::kAudio, Vst::kOutput))
  {
    RenderedBus rendered;
    rendered.mName = bus.mName;
    rendered.mActive = plugin.IsBusActive(Vst::kAudio, Vst::kOutput, bus.mIndex);
    rendered.mChannels.assign(static_cast<std::size_t>(processing.OutputChannels(bus.mIndex)),
                              std::vector<double>(static_cast<std::size_t>(options.mFrames), 0.0));
    result.mBuses.push_back(std::move(rendered));
  }

  status = plugin.SetActive(true);
  if (status != kResultOk)
  {
    error = "setActive(true) failed" + ResultText(status);
    return false;
  }
  status = plugin.SetProcessing(true);
  if (status != kResultOk && status != kNotImplemented)
  {
    error = "setProcessing(true) failed" + ResultText(status);
    plugin.SetActive(false);
    return false;
  }

  // Parameter changes also go to the controller, as a host keeps its view of the values.
  Vst::IEditController* controller = plugin.Controller();
  const std::int64_t lastFrame = options.mFrames > 0 ? options.mFrames - 1 : 0;
  bool ok = true;
  for (std::int64_t position = 0; position < options.mFrames && ok; position += options.mBlockSize)
  {
    const auto frames = static_cast<int32>(std::min<std::int64_t>(options.mBlockSize, options.mFrames - position));
    const std::int64_t end = position + frames;
    for (const ParamSpec& param : options.mParams)
    {
      const std::int64_t frame = std::clamp<std::int64_t>(param.mFrame, 0, lastFrame);
      if (frame >= position && frame < end)
      {
        processing.InputChanges().AddChange(param.mId, static_cast<int32>(frame - position), param.mValue);
        if (controller != nullptr)
          controller->setParamNormalized(param.mId, param.mValue);
      }
    }
    // Note-offs first, so a note-off and a new note-on at one frame retrigger.
    for (const NoteSpec& note : options.mNotes)
    {
      const std::int64_t off =
        note.mLength < 0 ? std::max(lastFrame, note.mFrame + 1) : note.mFrame + std::max<std::int64_t>(note.mLength, 1);
      if (off >= position && off < end)
        processing.InputEvents().AddNoteOff(static_cast<int32>(off - position), note.mPitch, 0.0f, note.mChannel);
    }
    for (const NoteSpec& note : options.mNotes)
    {
      if (note.mFrame >= position && note.mFrame < end)
        processing.InputEvents().AddNoteOn(static_cast<int32>(note.mFrame - position), note.mPitch, note.mVelocity,
                                           note.mChannel, -1, note.mLength < 0 ? 0 : static_cast<int32>(note.mLength));
    }
    processing.InputEvents().SortByOffset();

    status = processing.Process(frames);
    if (status != kResultOk)
    {
      error = "process failed at frame " + std::to_string(position) + ResultText(status);
      ok = false;
      break;
    }
    for (std::size_t bus = 0; bus < result.mBuses.size(); ++bus)
    {
      auto& channels = result.mBuses[bus].mChannels;
      for (std::size_t c = 0; c < channels.size(); ++c)
        for (int32 f = 0; f < frames; ++f)
          channels[c][static_cast<std::size_t>(position + f)] =
            processing.OutputSample(static_cast<int32>(bus), static_cast<int32>(c), f);
    }
  }

  plugin.SetProcessing(false);
  plugin.SetActive(false);
  return ok;
}

} // namespace krb::host
