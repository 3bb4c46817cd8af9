#include "IParam.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

void IParam::SetName(const char* name)
{
  mName = name ? name : "";
  if (mName.size() > kMaxNameLength)
    mName.resize(kMaxNameLength);
}

void IParam::Init(EParamType type, const char* name, double defaultValue, double minValue, double maxValue, double step,
                  const char* label, int flags, const char* group)
{
  mType = type;
  SetName(name);
  mLabel = label ? label : "";
  mGroup = group ? group : "";
  mMin = minValue;
  mMax = std::max(maxValue, minValue);
  mStep = step > 0.0 ? step : 1.0;
  mFlags = flags;
  mDisplayTexts.clear();
  // The default obeys the same step and range as every later value.
  mDefault = Constrain(defaultValue);
  Set(mDefault);
}

void IParam::InitBool(const char* name, bool defaultValue, const char* label, int flags, const char* group,
                      const char* offText, const char* onText)
{
  InitEnum(name, defaultValue ? 1 : 0, 2, label, flags, group);
  mType = kTypeBool;
  SetDisplayText(0.0, offText);
  SetDisplayText(1.0, onText);
}

void IParam::InitEnum(const char* name, int defaultValue, int nEnums, const char* label, int flags, const char* group)
{
  Init(kTypeEnum, name, defaultValue, 0.0, std::max(0, nEnums - 1), 1.0, label, flags | kFlagStepped, group);
}

void IParam::InitInt(const char* name, int defaultValue, int minValue, int maxValue, const char* label, int flags,
                     const char* group)
{
  Init(kTypeInt, name, defaultValue, minValue, maxValue, 1.0, label, flags | kFlagStepped, group);
}

void IParam::InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                        const char* label, int flags, const char* group)
{
  Init(kTypeDouble, name, defaultValue, minValue, maxValue, step, label, flags, group);
}

void IParam::SetDisplayText(double value, const char* text)
{
  for (auto& entry : mDisplayTexts)
  {
    if (entry.mValue == value)
    {
      entry.mText = text ? text : "";
      return;
    }
  }
  mDisplayTexts.push_back({value, text ? text : ""});
}

double IParam::Constrain(double value) const
{
  if (std::isnan(value))
    value = mDefault;
  if (GetStepped())
    value = std::round(value / mStep) * mStep;
  return std::clamp(value, mMin, mMax);
}

double IParam::ToNormalized(double value) const
{
  const double range = mMax - mMin;
  if (range <= 0.0)
    return 0.0;
  return std::clamp((value - mMin) / range, 0.0, 1.0);
}

double IParam::FromNormalized(double normalized) const
{
  if (std::isnan(normalized))
    return mDefault;
  return mMin + std::clamp(normalized, 0.0, 1.0) * (mMax - mMin);
}

int IParam::GetStepCount() const
{
  if (mType == kTypeDouble)
    return 0;
  return static_cast<int>(std::lround((mMax - mMin) / mStep));
}

const char* IParam::GetDisplayText(double value) const
{
  for (const auto& entry : mDisplayTexts)
    if (entry.mValue == value)
      return entry.mText.c_str();
  return nullptr;
}

void IParam::GetDisplay(double value, WDL_String& display) const
{
  if (const char* text = GetDisplayText(Constrain(value)))
  {
    display.Set(text);
    return;
  }
  if (mType == kTypeInt || mType == kTypeEnum || mType == kTypeBool)
    display.SetFormatted(64, "%d", static_cast<int>(Constrain(value)));
  else
    display.SetFormatted(64, "%.2f", value);
}

bool IParam::StringToValue(const char* text, double& value) const
{
  if (!text)
    return false;
  for (const auto& entry : mDisplayTexts)
  {
    if (entry.mText == text)
    {
      value = entry.mValue;
      return true;
    }
  }
  char* end = nullptr;
  const double parsed = std::strtod(text, &end);
  if (end == text || !std::isfinite(parsed))
    return false;
  value = Constrain(parsed);
  return true;
}
