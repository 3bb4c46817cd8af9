#include "ComponentHandler.h"

#include <map>

using namespace Steinberg;

namespace krb::host
{

const char* HandlerCallName(EHandlerCall call)
{
  switch (call)
  {
    case EHandlerCall::kBeginEdit:
      return "beginEdit";
    case EHandlerCall::kPerformEdit:
      return "performEdit";
    case EHandlerCall::kEndEdit:
      return "endEdit";
    case EHandlerCall::kRestartComponent:
      return "restartComponent";
    case EHandlerCall::kSetDirty:
      return "setDirty";
    case EHandlerCall::kRequestOpenEditor:
      return "requestOpenEditor";
    case EHandlerCall::kStartGroupEdit:
      return "startGroupEdit";
    case EHandlerCall::kFinishGroupEdit:
      return "finishGroupEdit";
  }
  return "?";
}

tresult ComponentHandler::Record(EHandlerCall kind, Vst::ParamID id, Vst::ParamValue value, int32 flags)
{
  HandlerCall call;
  call.mCall = kind;
  call.mId = id;
  call.mValue = value;
  call.mFlags = flags;
  call.mThread = std::this_thread::get_id();
  std::function<void(const HandlerCall&)> listener;
  {
    std::lock_guard lock(mMutex);
    mCalls.push_back(call);
    listener = mListener;
  }
  if (listener)
    listener(call);
  return kResultOk;
}

tresult PLUGIN_API ComponentHandler::beginEdit(Vst::ParamID id) { return Record(EHandlerCall::kBeginEdit, id); }

tresult PLUGIN_API ComponentHandler::performEdit(Vst::ParamID id, Vst::ParamValue valueNormalized)
{
  return Record(EHandlerCall::kPerformEdit, id, valueNormalized);
}

tresult PLUGIN_API ComponentHandler::endEdit(Vst::ParamID id) { return Record(EHandlerCall::kEndEdit, id); }

tresult PLUGIN_API ComponentHandler::restartComponent(int32 flags)
{
  return Record(EHandlerCall::kRestartComponent, 0, 0, flags);
}

tresult PLUGIN_API ComponentHandler::setDirty(TBool state)
{
  return Record(EHandlerCall::kSetDirty, 0, state ? 1.0 : 0.0);
}

tresult PLUGIN_API ComponentHandler::requestOpenEditor(FIDString) { return Record(EHandlerCall::kRequestOpenEditor); }

tresult PLUGIN_API ComponentHandler::startGroupEdit() { return Record(EHandlerCall::kStartGroupEdit); }

tresult PLUGIN_API ComponentHandler::finishGroupEdit() { return Record(EHandlerCall::kFinishGroupEdit); }

std::vector<HandlerCall> ComponentHandler::Calls() const
{
  std::lock_guard lock(mMutex);
  return mCalls;
}

void ComponentHandler::Clear()
{
  std::lock_guard lock(mMutex);
  mCalls.clear();
}

std::size_t ComponentHandler::Count(EHandlerCall call, std::optional<Vst::ParamID> id) const
{
  std::lock_guard lock(mMutex);
  std::size_t count = 0;
  for (const HandlerCall& c : mCalls)
    if (c.mCall == call && (!id || c.mId == *id))
      ++count;
  return count;
}

std::vector<std::pair<Vst::ParamID, Vst::ParamValue>> ComponentHandler::PerformedEdits() const
{
  std::lock_guard lock(mMutex);
  std::vector<std::pair<Vst::ParamID, Vst::ParamValue>> edits;
  for (const HandlerCall& c : mCalls)
    if (c.mCall == EHandlerCall::kPerformEdit)
      edits.emplace_back(c.mId, c.mValue);
  return edits;
}

std::vector<int32> ComponentHandler::RestartFlags() const
{
  std::lock_guard lock(mMutex);
  std::vector<int32> flags;
  for (const HandlerCall& c : mCalls)
    if (c.mCall == EHandlerCall::kRestartComponent)
      flags.push_back(c.mFlags);
  return flags;
}

std::optional<Vst::ParamValue> ComponentHandler::LastPerformedValue(Vst::ParamID id) const
{
  std::lock_guard lock(mMutex);
  for (auto it = mCalls.rbegin(); it != mCalls.rend(); ++it)
    if (it->mCall == EHandlerCall::kPerformEdit && it->mId == id)
      return it->mValue;
  return std::nullopt;
}

bool ComponentHandler::EditsBalanced() const
{
  std::lock_guard lock(mMutex);
  std::map<Vst::ParamID, int> open;
  for (const HandlerCall& c : mCalls)
  {
    if (c.mCall == EHandlerCall::kBeginEdit)
      ++open[c.mId];
    else if (c.mCall == EHandlerCall::kEndEdit)
    {
      if (open[c.mId] == 0)
        return false;
      --open[c.mId];
    }
    else if (c.mCall == EHandlerCall::kPerformEdit && open[c.mId] == 0)
      return false;
  }
  for (const auto& entry : open)
    if (entry.second != 0)
      return false;
  return true;
}

void ComponentHandler::SetListener(std::function<void(const HandlerCall&)> listener)
{
  std::lock_guard lock(mMutex);
  mListener = std::move(listener);
}

} // namespace krb::host
