#include "framework/ui/LAttachment.h"

#include <algorithm>

LAttachment::~LAttachment() {
  if (mOwnerHost != nullptr) mOwnerHost->RemoveAttachment(this);
}

bool LAttachment::Execute(MessageT message, void* param) {
  if (mMessage != msg_AnyMessage && mMessage != message) return true;
  ExecuteSelf(message, param);
  return mExecuteHost;
}

LAttachable::~LAttachable() {
  for (LAttachment* attachment : mAttachments) attachment->mOwnerHost = nullptr;
}

void LAttachable::AddAttachment(LAttachment* attachment) {
  if (attachment == nullptr || attachment->mOwnerHost == this) return;
  if (attachment->mOwnerHost != nullptr) attachment->mOwnerHost->RemoveAttachment(attachment);
  mAttachments.push_back(attachment);
  attachment->mOwnerHost = this;
}

void LAttachable::RemoveAttachment(LAttachment* attachment) {
  if (attachment == nullptr || attachment->mOwnerHost != this) return;
  std::erase(mAttachments, attachment);
  attachment->mOwnerHost = nullptr;
}

bool LAttachable::ExecuteAttachments(MessageT message, void* param) {
  // An attachment may remove itself or others while it runs.
  const std::vector<LAttachment*> snapshot = mAttachments;
  bool executeHost = true;
  for (LAttachment* attachment : snapshot) {
    if (std::find(mAttachments.begin(), mAttachments.end(), attachment) == mAttachments.end())
      continue;
    executeHost = attachment->Execute(message, param) && executeHost;
  }
  return executeHost;
}
