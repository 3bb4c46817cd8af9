#include "IPlugProcessor.h"

#include <cstdlib>
#include <cstring>
#include <numeric>
#include <string>

namespace
{
bool ParseBusList(const std::string& text, std::vector<int>& buses)
{
  buses.clear();
  size_t start = 0;
  while (start <= text.size())
  {
    const size_t dot = text.find('.', start);
    const std::string item = text.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
    if (item.empty())
      return false;
    char* end = nullptr;
    const long count = std::strtol(item.c_str(), &end, 10);
    if (*end != '\0' || count < 0 || count > 64)
      return false;
    if (count > 0)
      buses.push_back(static_cast<int>(count));
    if (dot == std::string::npos)
      break;
    start = dot + 1;
  }
  return true;
}
} // namespace

bool ParseChannelIOStr(const char* ioStr, std::vector<int>& inBuses, std::vector<int>& outBuses)
{
  const std::string text = ioStr ? ioStr : "";
  const size_t dash = text.find('-');
  if (dash == std::string::npos)
    return false;
  return ParseBusList(text.substr(0, dash), inBuses) && ParseBusList(text.substr(dash + 1), outBuses);
}

IPlugProcessor::IPlugProcessor(const Config& config)
  : mLatency(config.latency)
  , mPlugType(config.plugType)
  , mDoesMidiIn(config.plugDoesMidiIn)
  , mDoesMidiOut(config.plugDoesMidiOut)
{
  if (!ParseChannelIOStr(config.channelIOStr, mInBuses, mOutBuses))
  {
    mInBuses.clear();
    mOutBuses.clear();
  }
  mInConnected.assign(static_cast<size_t>(MaxNChannels(kInput)), 0);
  mOutConnected.assign(static_cast<size_t>(MaxNChannels(kOutput)), 0);
}

IPlugProcessor::~IPlugProcessor() = default;

void IPlugProcessor::ProcessBlock(double** /*inputs*/, double** outputs, int nFrames)
{
  for (int ch = 0; ch < MaxNChannels(kOutput); ++ch)
    if (outputs && outputs[ch] && nFrames > 0)
      std::memset(outputs[ch], 0, sizeof(double) * static_cast<size_t>(nFrames));
}

void IPlugProcessor::GetBusName(ERoute direction, int busIdx, int nBuses, WDL_String& str) const
{
  const char* prefix = direction == kInput ? "Input" : "Output";
  if (nBuses == 1)
    str.Set(prefix);
  else
    str.SetFormatted(32, "%s %d", prefix, busIdx + 1);
}

int IPlugProcessor::NChannelsOfBus(ERoute direction, int busIdx) const
{
  const auto& buses = Buses(direction);
  return busIdx >= 0 && busIdx < static_cast<int>(buses.size()) ? buses[static_cast<size_t>(busIdx)] : 0;
}

int IPlugProcessor::MaxNChannels(ERoute direction) const
{
  const auto& buses = Buses(direction);
  return std::accumulate(buses.begin(), buses.end(), 0);
}

int IPlugProcessor::FirstChannelOfBus(ERoute direction, int busIdx) const
{
  const auto& buses = Buses(direction);
  int first = 0;
  for (int i = 0; i < busIdx && i < static_cast<int>(buses.size()); ++i)
    first += buses[static_cast<size_t>(i)];
  return first;
}

bool IPlugProcessor::IsChannelConnected(ERoute direction, int chIdx) const
{
  const auto& connected = direction == kInput ? mInConnected : mOutConnected;
  return chIdx >= 0 && chIdx < static_cast<int>(connected.size()) && connected[static_cast<size_t>(chIdx)];
}

void IPlugProcessor::SetChannelConnected(ERoute direction, int chIdx, bool connected)
{
  auto& flags = direction == kInput ? mInConnected : mOutConnected;
  if (chIdx >= 0 && chIdx < static_cast<int>(flags.size()))
    flags[static_cast<size_t>(chIdx)] = connected ? 1 : 0;
}

int IPlugProcessor::NChansConnected(ERoute direction) const
{
  const auto& connected = direction == kInput ? mInConnected : mOutConnected;
  int count = 0;
  for (char flag : connected)
    count += flag ? 1 : 0;
  return count;
}
