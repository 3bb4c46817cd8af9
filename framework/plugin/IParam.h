#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "WDLString.h"

// One plug-in parameter: its range, step, default, display texts and current value.
// The value is the parameter's own (non-normalised) value; the audio thread reads it while the main
// thread writes it, so it is one atomic double with relaxed access.
class IParam
{
public:
  enum EParamType
  {
    kTypeNone = 0,
    kTypeBool,
    kTypeInt,
    kTypeEnum,
    kTypeDouble
  };

  enum EFlags
  {
    kFlagsNone = 0,
    kFlagCannotAutomate = 1 << 0,
    kFlagStepped = 1 << 1,
    kFlagNegateDisplay = 1 << 2,
    kFlagSignDisplay = 1 << 3,
    kFlagMeta = 1 << 4
  };

  static constexpr int kMaxNameLength = 128;

  IParam() = default;
  IParam(const IParam&) = delete;
  IParam& operator=(const IParam&) = delete;

  void InitBool(const char* name, bool defaultValue, const char* label = "", int flags = 0, const char* group = "",
                const char* offText = "off", const char* onText = "on");
  void InitEnum(const char* name, int defaultValue, int nEnums, const char* label = "", int flags = 0,
                const char* group = "");
  void InitInt(const char* name, int defaultValue, int minValue, int maxValue, const char* label = "", int flags = 0,
               const char* group = "");
  void InitDouble(const char* name, double defaultValue, double minValue, double maxValue, double step,
                  const char* label = "", int flags = 0, const char* group = "");

  // Gives the parameter a name and nothing else: its type, range, step, default, label, flags,
  // group and value stay as they are (a default parameter stays untyped from 0 to 1).
  void SetName(const char* name);

  // Stores a value in the parameter's own range: a stepped parameter takes the nearest multiple of
  // its step, then the value is clamped to the range.
  void Set(double value) { mValue.store(Constrain(value), std::memory_order_relaxed); }
  void SetNormalized(double normalized) { Set(FromNormalized(normalized)); }
  void SetToDefault() { Set(mDefault); }
  void SetDisplayText(double value, const char* text);

  double Value() const { return mValue.load(std::memory_order_relaxed); }
  bool Bool() const { return Value() >= 0.5; }
  int Int() const { return static_cast<int>(Value()); }
  double GetNormalized() const { return ToNormalized(Value()); }

  double ToNormalized(double value) const;
  double FromNormalized(double normalized) const;
  double Constrain(double value) const;

  double GetDefault(bool normalized = false) const { return normalized ? ToNormalized(mDefault) : mDefault; }
  double GetMin() const { return mMin; }
  double GetMax() const { return mMax; }
  double GetRange() const { return mMax - mMin; }
  double GetStep() const { return mStep; }
  EParamType Type() const { return mType; }
  int GetFlags() const { return mFlags; }
  bool GetCanAutomate() const { return !(mFlags & kFlagCannotAutomate); }
  bool GetStepped() const { return (mFlags & kFlagStepped) != 0; }
  const char* GetName() const { return mName.c_str(); }
  const char* GetLabel() const { return mLabel.c_str(); }
  const char* GetGroup() const { return mGroup.c_str(); }

  // Number of discrete steps the host sees: 0 for a continuous parameter.
  int GetStepCount() const;

  int NDisplayTexts() const { return static_cast<int>(mDisplayTexts.size()); }
  // The display text of a value, or nullptr when the value has none.
  const char* GetDisplayText(double value) const;
  // Text shown for a value: its display text, or the number.
  void GetDisplay(double value, WDL_String& display) const;
  // Parses a display text or a number into a value of the parameter's range; false if neither.
  bool StringToValue(const char* text, double& value) const;

private:
  struct DisplayText
  {
    double mValue;
    std::string mText;
  };

  void Init(EParamType type, const char* name, double defaultValue, double minValue, double maxValue, double step,
            const char* label, int flags, const char* group);

  EParamType mType = kTypeNone;
  std::string mName;
  std::string mLabel;
  std::string mGroup;
  double mMin = 0.0;
  double mMax = 1.0;
  double mStep = 1.0;
  double mDefault = 0.0;
  int mFlags = 0;
  std::atomic<double> mValue{0.0};
  std::vector<DisplayText> mDisplayTexts;
};
