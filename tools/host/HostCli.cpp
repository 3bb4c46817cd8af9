#include "HostCli.h"
#include "HostEditor.h"

#include "HostModule.h"
#include "HostPlugin.h"
#include "HostRender.h"
#include "HostStrings.h"
#include "WavWriter.h"

#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>

using namespace Steinberg;

namespace krb::host
{

namespace
{

const char* const kHelp = R"(krbhost - a small VST3 host

Usage:
  krbhost info BUNDLE [--class SEL]
  krbhost render BUNDLE [--out FILE.wav] [options]
  krbhost --help | --version

BUNDLE is a .vst3 bundle folder (or the module binary itself).

info: prints the module's entry point, the factory (vendor, url, email, flags) and every class
(cid, category, name, cardinality, class flags, subcategories, vendor, version, sdk version).
For each audio module class (or only the one chosen with --class) it creates an instance and
prints its controller kind, latency, tail, sample sizes, process context requirements, buses
(name, channels, type, flags, arrangement), parameters (id, title, short title, units, step
count, normalised default, unit, flags), MIDI controller mapping and state size.

render options:
  --class SEL            class: index, 32-digit hex class id or name (default: the first
                         audio module class)
  --out FILE             WAV file to write (none: render only, e.g. for --state-out)
  --rate HZ              sample rate (default 44100)
  --block N              block size, the maximum given to setupProcessing (default 512)
  --seconds S            length in seconds (default 2)
  --frames N             length in frames (instead of --seconds)
  --tempo BPM            tempo in the process context (default 120)
  --time-sig N/D         time signature (default 4/4)
  --transport on|off     transport playing (default on)
  --param ID=VALUE[@FRAME]
                         normalised parameter change (0..1) at a frame (default 0); ID is the
                         parameter id or its exact title; repeatable
  --note FRAME:NOTE:VEL[:LEN]
                         MIDI note (0..127) at a frame with velocity 0..127; LEN in frames
                         until the note-off (default: held to the last frame); repeatable
  --state-in FILE        component state to load (setState, then setComponentState on the
                         controller) before rendering
  --state-out FILE       component state (getState) to save after rendering
  --activate all|default|LIST
                         active audio output buses: all (default), those flagged default
                         active, or a comma-separated list of bus indices
  --buses all|N          buses written to the WAV file: all output channels of every bus,
                         interleaved in bus order (default), or bus N only
  --sample-size 32|64    process with 32-bit (default) or 64-bit samples
  --format float|pcm16   WAV samples: 32-bit float (default) or 16-bit PCM
  --realtime             process mode realtime (default offline)
  --screenshot FILE      after rendering, open the plug-in's editor in a window of the host's
                         own (X11 with the host's run loop on Linux; needs a display), let it
                         draw its first frames and save the window as a PNG file

Exit status: 0 on success, 1 when loading, a plug-in call or a file fails, 2 on a wrong command
line; the reason goes to standard error.
)";

struct CliError
{
  int mCode;
  std::string mMessage;
};

[[noreturn]] void Usage(const std::string& message) { throw CliError{kExitUsage, message}; }

[[noreturn]] void Fail(const std::string& message) { throw CliError{kExitFailure, message}; }

std::optional<long long> ToInteger(const std::string& text)
{
  if (text.empty())
    return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != 0)
    return std::nullopt;
  return value;
}

std::optional<double> ToNumber(const std::string& text)
{
  if (text.empty())
    return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (errno != 0 || end == nullptr || *end != 0 || !std::isfinite(value))
    return std::nullopt;
  return value;
}

long long IntegerOption(const std::string& name, const std::string& text, long long min, long long max)
{
  const auto value = ToInteger(text);
  if (!value || *value < min || *value > max)
    Usage(name + " needs a whole number from " + std::to_string(min) + " to " + std::to_string(max) + ", not \"" +
          text + "\"");
  return *value;
}

double NumberOption(const std::string& name, const std::string& text, double min, double max)
{
  const auto value = ToNumber(text);
  if (!value || *value < min || *value > max)
  {
    std::ostringstream range;
    range << min << " to " << max;
    Usage(name + " needs a number from " + range.str() + ", not \"" + text + "\"");
  }
  return *value;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
  std::vector<std::string> parts;
  std::string part;
  std::istringstream stream(text);
  while (std::getline(stream, part, separator))
    parts.push_back(part);
  if (!text.empty() && text.back() == separator)
    parts.emplace_back();
  return parts;
}

std::string Hex(std::uint64_t value, int digits = 8)
{
  std::ostringstream text;
  text << "0x" << std::uppercase << std::hex << std::setw(digits) << std::setfill('0') << value;
  return text.str();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::vector<std::uint8_t> ReadFile(const std::string& name)
{
  std::ifstream file(PathFromUtf8(name), std::ios::binary);
  if (!file)
    Fail("cannot open " + name);
  std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad())
    Fail("cannot read " + name);
  return data;
}

void WriteFile(const std::string& name, const std::vector<std::uint8_t>& data)
{
  std::ofstream file(PathFromUtf8(name), std::ios::binary | std::ios::trunc);
  if (!file)
    Fail("cannot create " + name);
  file.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  file.flush();
  if (!file)
    Fail("cannot write " + name);
}

// ----- info -----

std::string ContextRequirementsText(uint32 flags)
{
  static const char* const kNames[] = {"SystemTime",
                                       "ContinousTimeSamples",
                                       "ProjectTimeMusic",
                                       "BarPositionMusic",
                                       "CycleMusic",
                                       "SamplesToNextClock",
                                       "Tempo",
                                       "TimeSignature",
                                       "Chord",
                                       "FrameRate",
                                       "TransportState"};
  std::string text;
  for (std::size_t bit = 0; bit < std::size(kNames); ++bit)
  {
    if (flags & (1u << bit))
    {
      if (!text.empty())
        text += ", ";
      text += kNames[bit];
    }
  }
  return text.empty() ? "none" : text;
}

std::string ArrangementText(const BusDesc& bus) { return bus.mHasArrangement ? Hex(bus.mArrangement, 2) : "unknown"; }

void PrintBuses(HostPlugin& plugin, std::ostream& out)
{
  out << "Buses\n";
  const struct
  {
    Vst::MediaType mType;
    Vst::BusDirection mDir;
    const char* mName;
  } kKinds[] = {{Vst::kAudio, Vst::kInput, "audio input"},
                {Vst::kAudio, Vst::kOutput, "audio output"},
                {Vst::kEvent, Vst::kInput, "event input"},
                {Vst::kEvent, Vst::kOutput, "event output"}};
  for (const auto& kind : kKinds)
  {
    const std::vector<BusDesc> buses = plugin.Buses(kind.mType, kind.mDir);
    if (buses.empty())
      out << "  " << kind.mName << ": none\n";
    for (const BusDesc& bus : buses)
    {
      out << "  " << kind.mName << " " << bus.mIndex << ": " << Quoted(bus.mName) << ", " << bus.mChannelCount
          << " channels, " << (bus.mBusType == Vst::kMain ? "main" : "aux") << ", flags " << Hex(bus.mFlags, 1) << " ("
          << BusFlagsText(bus.mFlags) << ")";
      if (kind.mType == Vst::kAudio)
        out << ", arrangement " << ArrangementText(bus);
      out << "\n";
    }
  }
}

void PrintParameters(HostPlugin& plugin, std::ostream& out)
{
  const std::vector<ParamDesc> params = plugin.Parameters();
  out << "Parameters: " << params.size() << "\n";
  for (const ParamDesc& p : params)
  {
    std::ostringstream value;
    value << std::setprecision(6) << p.mDefaultNormalized;
    out << "  param " << p.mIndex << ": id " << p.mId << ", title " << Quoted(p.mTitle) << ", short "
        << Quoted(p.mShortTitle) << ", units " << Quoted(p.mUnits) << ", steps " << p.mStepCount << ", default "
        << value.str() << ", unit " << p.mUnitId << ", flags " << Hex(static_cast<uint32>(p.mFlags)) << " ("
        << ParamFlagsText(p.mFlags) << ")\n";
  }
}

void PrintMidiMapping(HostPlugin& plugin, std::ostream& out)
{
  auto mapping = plugin.QueryController<Vst::IMidiMapping>();
  if (!mapping)
  {
    out << "MIDI mapping: not implemented\n";
    return;
  }
  const int32 eventBuses = plugin.BusCount(Vst::kEvent, Vst::kInput);
  out << "MIDI mapping (bus 0, channel 0):";
  if (eventBuses == 0)
  {
    out << " no event input\n";
    return;
  }
  std::ostringstream lines;
  int count = 0;
  for (int32 cc = 0; cc < Vst::kCountCtrlNumber; ++cc)
  {
    Vst::ParamID id = 0;
    if (mapping->getMidiControllerAssignment(0, 0, static_cast<Vst::CtrlNumber>(cc), id) == kResultOk)
    {
      lines << "  cc " << cc << " -> param " << id << "\n";
      ++count;
    }
  }
  out << (count == 0 ? " none\n" : "\n") << lines.str();
}

void PrintInstance(HostPlugin& plugin, std::ostream& out)
{
  out << "Instance of class " << plugin.Class().mIndex << " " << Quoted(plugin.Class().mName) << "\n";
  out << "  controller: ";
  if (plugin.Controller() == nullptr)
    out << "none\n";
  else if (plugin.IsSingleComponent())
    out << "single component\n";
  else
  {
    alignas(8) TUID cid = {};
    plugin.Component()->getControllerClassId(cid);
    out << "separate class " << CidToHex(cid) << "\n";
  }
  out << "  latency: " << plugin.Processor()->getLatencySamples() << " samples\n";
  const uint32 tail = plugin.Processor()->getTailSamples();
  out << "  tail: " << (tail == Vst::kInfiniteTail ? std::string("infinite") : std::to_string(tail) + " samples")
      << "\n";
  out << "  sample sizes:";
  if (plugin.Processor()->canProcessSampleSize(Vst::kSample32) == kResultOk)
    out << " 32";
  if (plugin.Processor()->canProcessSampleSize(Vst::kSample64) == kResultOk)
    out << " 64";
  out << "\n";
  auto requirements = plugin.QueryComponent<Vst::IProcessContextRequirements>();
  out << "  process context requirements: ";
  if (requirements)
  {
    const uint32 flags = requirements->getProcessContextRequirements();
    out << Hex(flags) << " (" << ContextRequirementsText(flags) << ")\n";
  }
  else
    out << "not implemented\n";
  PrintBuses(plugin, out);
  PrintParameters(plugin, out);
  PrintMidiMapping(plugin, out);
  std::vector<std::uint8_t> state;
  const tresult stateResult = plugin.GetState(state);
  out << "State: ";
  if (stateResult == kResultOk)
    out << state.size() << " bytes\n";
  else
    out << "getState failed (result " << stateResult << ")\n";
}

int RunInfo(const std::vector<std::string>& args, std::ostream& out)
{
  std::string bundle;
  std::optional<std::string> classSelector;
  for (std::size_t i = 1; i < args.size(); ++i)
  {
    if (args[i] == "--class" && i + 1 < args.size())
      classSelector = args[++i];
    else if (args[i].rfind("--", 0) == 0)
      Usage("unknown or incomplete option " + args[i] + " for info");
    else if (bundle.empty())
      bundle = args[i];
    else
      Usage("info takes one bundle, got another: " + args[i]);
  }
  if (bundle.empty())
    Usage("info needs a BUNDLE");

  std::string error;
  std::shared_ptr<HostModule> module = HostModule::Load(PathFromUtf8(bundle), error);
  if (!module)
    Fail(error);
  const ClassInfo* chosen = nullptr;
  if (classSelector)
  {
    chosen = module->FindClass(*classSelector, error);
    if (chosen == nullptr)
      Fail(error);
  }

  out << "Module\n";
  out << "  bundle: " << PathToUtf8(module->BundlePath()) << "\n";
  out << "  binary: " << PathToUtf8(module->BinaryPath()) << "\n";
  out << "  entry: " << (module->EntryName().empty() ? "none" : module->EntryName()) << "\n";
  const FactoryInfo& factory = module->Info();
  out << "Factory\n";
  out << "  vendor: " << factory.mVendor << "\n";
  out << "  url: " << factory.mUrl << "\n";
  out << "  email: " << factory.mEmail << "\n";
  out << "  flags: " << Hex(static_cast<uint32>(factory.mFlags)) << " (" << FactoryFlagsText(factory.mFlags) << ")\n";
  out << "Classes: " << module->Classes().size() << "\n";
  for (const ClassInfo& info : module->Classes())
  {
    out << "Class " << info.mIndex << "\n";
    out << "  cid: " << info.mCidHex << "\n";
    out << "  category: " << info.mCategory << "\n";
    out << "  name: " << info.mName << "\n";
    out << "  cardinality: " << CardinalityText(info.mCardinality) << "\n";
    if (info.mInfoVersion >= 2)
    {
      out << "  class flags: " << Hex(info.mClassFlags) << "\n";
      out << "  subcategories: " << info.mSubCategories << "\n";
      out << "  vendor: " << info.mVendor << "\n";
      out << "  version: " << info.mVersion << "\n";
      out << "  sdk version: " << info.mSdkVersion << "\n";
    }
  }

  for (const ClassInfo& info : module->Classes())
  {
    if (chosen != nullptr ? &info != chosen : info.mCategory != kVstAudioEffectClass)
      continue;
    std::unique_ptr<HostPlugin> plugin = HostPlugin::Create(module, info, error);
    if (!plugin || !plugin->Initialize(error))
      Fail("class " + std::to_string(info.mIndex) + " " + Quoted(info.mName) + ": " + error);
    PrintInstance(*plugin, out);
  }
  return kExitOk;
}

// ----- render -----

struct RenderCommand
{
  std::string mBundle;
  std::string mClass;
  std::string mOut;
  std::string mStateIn;
  std::string mStateOut;
  std::string mScreenshot;
  std::optional<double> mSeconds;
  std::optional<std::int64_t> mFrames;
  std::vector<std::string> mParams;
  std::string mBuses = "all";
  EWavFormat mFormat = EWavFormat::kFloat32;
  RenderOptions mOptions;
};

NoteSpec ParseNote(const std::string& text)
{
  const std::vector<std::string> parts = Split(text, ':');
  if (parts.size() < 3 || parts.size() > 4)
    Usage("--note needs FRAME:NOTE:VEL[:LEN], not \"" + text + "\"");
  NoteSpec note;
  note.mFrame = IntegerOption("--note FRAME", parts[0], 0, std::int64_t{1} << 40);
  note.mPitch = static_cast<int16>(IntegerOption("--note NOTE", parts[1], 0, 127));
  note.mVelocity = static_cast<float>(NumberOption("--note VEL", parts[2], 0, 127) / 127.0);
  if (parts.size() == 4)
    note.mLength = IntegerOption("--note LEN", parts[3], 1, std::int64_t{1} << 40);
  return note;
}

ParamSpec ParseParam(const std::string& text, const HostPlugin& plugin)
{
  const std::size_t equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0)
    Usage("--param needs ID=VALUE[@FRAME], not \"" + text + "\"");
  const std::string name = text.substr(0, equals);
  std::string value = text.substr(equals + 1);
  ParamSpec param;
  const std::size_t at = value.find('@');
  if (at != std::string::npos)
  {
    param.mFrame = IntegerOption("--param FRAME", value.substr(at + 1), 0, std::int64_t{1} << 40);
    value = value.substr(0, at);
  }
  param.mValue = NumberOption("--param VALUE", value, 0.0, 1.0);
  std::optional<ParamDesc> desc;
  if (const auto id = ToInteger(name); id && *id >= 0 && *id <= 0xFFFFFFFFll)
    desc = plugin.FindParameter(static_cast<Vst::ParamID>(*id));
  if (!desc)
    desc = plugin.FindParameter(name);
  if (!desc)
    Fail("the plug-in has no parameter " + Quoted(name));
  param.mId = desc->mId;
  return param;
}

RenderCommand ParseRender(const std::vector<std::string>& args)
{
  RenderCommand command;
  RenderOptions& options = command.mOptions;
  for (std::size_t i = 1; i < args.size(); ++i)
  {
    const std::string& arg = args[i];
    if (arg.rfind("--", 0) != 0)
    {
      if (!command.mBundle.empty())
        Usage("render takes one bundle, got another: " + arg);
      command.mBundle = arg;
      continue;
    }
    if (arg == "--realtime")
    {
      options.mProcessMode = Vst::kRealtime;
      continue;
    }
    if (i + 1 >= args.size())
      Usage(arg + " needs a value");
    const std::string& value = args[++i];
    if (arg == "--class")
      command.mClass = value;
    else if (arg == "--out")
      command.mOut = value;
    else if (arg == "--rate")
      options.mSampleRate = NumberOption(arg, value, 1000, 768000);
    else if (arg == "--block")
      options.mBlockSize = static_cast<int32>(IntegerOption(arg, value, 1, 1 << 16));
    else if (arg == "--seconds")
      command.mSeconds = NumberOption(arg, value, 0, 3600);
    else if (arg == "--frames")
      command.mFrames = IntegerOption(arg, value, 0, std::int64_t{1} << 32);
    else if (arg == "--tempo")
      options.mTempo = NumberOption(arg, value, 1, 999);
    else if (arg == "--time-sig")
    {
      const std::vector<std::string> parts = Split(value, '/');
      if (parts.size() != 2)
        Usage("--time-sig needs N/D, not \"" + value + "\"");
      options.mTimeSigNumerator = static_cast<int32>(IntegerOption(arg, parts[0], 1, 64));
      options.mTimeSigDenominator = static_cast<int32>(IntegerOption(arg, parts[1], 1, 64));
    }
    else if (arg == "--transport")
    {
      if (value != "on" && value != "off")
        Usage("--transport needs on or off, not \"" + value + "\"");
      options.mPlaying = value == "on";
    }
    else if (arg == "--param")
      command.mParams.push_back(value);
    else if (arg == "--note")
      options.mNotes.push_back(ParseNote(value));
    else if (arg == "--state-in")
      command.mStateIn = value;
    else if (arg == "--state-out")
      command.mStateOut = value;
    else if (arg == "--screenshot")
      command.mScreenshot = value;
    else if (arg == "--activate")
    {
      if (value == "all")
        options.mActivation = EBusActivation::kAll;
      else if (value == "default")
        options.mActivation = EBusActivation::kDefault;
      else
      {
        options.mActivation = EBusActivation::kList;
        options.mActiveBuses.clear();
        for (const std::string& part : Split(value, ','))
          options.mActiveBuses.push_back(static_cast<int32>(IntegerOption(arg, part, 0, 1023)));
      }
    }
    else if (arg == "--buses")
    {
      if (value != "all")
        IntegerOption(arg, value, 0, 1023);
      command.mBuses = value;
    }
    else if (arg == "--sample-size")
    {
      if (value == "32")
        options.mSampleSize = Vst::kSample32;
      else if (value == "64")
        options.mSampleSize = Vst::kSample64;
      else
        Usage("--sample-size needs 32 or 64, not \"" + value + "\"");
    }
    else if (arg == "--format")
    {
      if (value == "float")
        command.mFormat = EWavFormat::kFloat32;
      else if (value == "pcm16")
        command.mFormat = EWavFormat::kPcm16;
      else
        Usage("--format needs float or pcm16, not \"" + value + "\"");
    }
    else
      Usage("unknown option " + arg + " for render");
  }
  if (command.mBundle.empty())
    Usage("render needs a BUNDLE");
  if (command.mSeconds && command.mFrames)
    Usage("give --seconds or --frames, not both");
  if (command.mFrames)
    options.mFrames = *command.mFrames;
  else
    options.mFrames = std::llround(command.mSeconds.value_or(2.0) * options.mSampleRate);
  return command;
}

int RunRender(const std::vector<std::string>& args, std::ostream& out)
{
  RenderCommand command = ParseRender(args);
  std::string error;
  std::unique_ptr<HostPlugin> plugin = HostPlugin::Open(PathFromUtf8(command.mBundle), command.mClass, error);
  if (!plugin)
    Fail(error);

  for (const std::string& text : command.mParams)
    command.mOptions.mParams.push_back(ParseParam(text, *plugin));

  if (!command.mStateIn.empty())
  {
    const tresult result = plugin->SetState(ReadFile(command.mStateIn));
    if (result != kResultOk)
      Fail("the plug-in rejected the state in " + command.mStateIn + " (result " + std::to_string(result) + ")");
  }

  RenderResult rendered;
  if (!Render(*plugin, command.mOptions, rendered, error))
    Fail(error);

  if (!command.mOut.empty())
  {
    std::vector<const std::vector<double>*> channels;
    if (command.mBuses == "all")
      channels = rendered.AllChannels();
    else
    {
      const auto bus = static_cast<std::size_t>(*ToInteger(command.mBuses));
      if (bus >= rendered.mBuses.size())
        Fail("no audio output bus " + command.mBuses + " (the plug-in has " + std::to_string(rendered.mBuses.size()) +
             ")");
      for (const auto& channel : rendered.mBuses[bus].mChannels)
        channels.push_back(&channel);
    }
    if (channels.empty())
      Fail("the plug-in has no audio output channels to write");
    if (!WriteWav(PathFromUtf8(command.mOut), channels, rendered.mFrames,
                  static_cast<std::uint32_t>(std::lround(command.mOptions.mSampleRate)), command.mFormat, error))
      Fail(error);
    out << "wrote " << rendered.mFrames << " frames of " << channels.size() << " channels to " << command.mOut << "\n";
  }

  if (!command.mStateOut.empty())
  {
    std::vector<std::uint8_t> state;
    const tresult result = plugin->GetState(state);
    if (result != kResultOk)
      Fail("getState failed (result " + std::to_string(result) + ")");
    WriteFile(command.mStateOut, state);
    out << "wrote " << state.size() << " bytes of state to " << command.mStateOut << "\n";
  }

  if (!command.mScreenshot.empty())
  {
    Vst::IEditController* controller = plugin->Controller();
    IPlugView* view = controller ? controller->createView(Vst::ViewType::kEditor) : nullptr;
    if (!view)
      Fail("the plug-in has no editor view");
    const bool saved = SaveEditorScreenshot(view, command.mScreenshot, error);
    view->release();
    if (!saved)
      Fail(error);
    out << "wrote the editor's screenshot to " << command.mScreenshot << "\n";
  }
  return kExitOk;
}

} // namespace

const char* CliHelpText() { return kHelp; }

int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
  try
  {
    if (args.empty())
      Usage("no command given");
    const std::string& command = args[0];
    const bool help = std::find_if(args.begin(), args.end(),
                                   [](const std::string& arg) { return arg == "--help" || arg == "-h"; }) != args.end();
    if (help || command == "help")
    {
      out << kHelp;
      return kExitOk;
    }
    if (command == "--version")
    {
      out << "krbhost 0.0.0 (VST3 SDK interfaces " kVstVersionString ")\n";
      return kExitOk;
    }
    if (command == "info")
      return RunInfo(args, out);
    if (command == "render")
      return RunRender(args, out);
    Usage("unknown command " + Quoted(command));
  }
  catch (const CliError& e)
  {
    err << "krbhost: " << e.mMessage << "\n";
    if (e.mCode == kExitUsage)
      err << "Try 'krbhost --help'.\n";
    return e.mCode;
  }
  catch (const std::exception& e)
  {
    err << "krbhost: " << e.what() << "\n";
    return kExitFailure;
  }
}

} // namespace krb::host
