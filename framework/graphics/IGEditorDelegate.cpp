#include "IGEditorDelegate.h"

#include "IControl.h"

void IGEditorDelegate::SendControlMsgFromDelegate(int ctrlTag, int msgTag, int dataSize, const void* data)
{
  if (IGraphics* ui = GetUI())
    if (IControl* control = ui->GetControlWithTag(ctrlTag))
      control->OnMsgFromDelegate(msgTag, dataSize, data);
}
