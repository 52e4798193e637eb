// What every port of a client has: its name, and the client it belongs to. The client owns
// its ports; callers borrow them.
#pragma once

#include <string>

class CMidiClient;

class CMidiPort {
 public:
  CMidiPort(const CMidiPort&) = delete;
  CMidiPort& operator=(const CMidiPort&) = delete;
  virtual ~CMidiPort() = default;

  const std::string& GetName() const { return mName; }
  CMidiClient& GetClient() const { return mClient; }

 protected:
  CMidiPort(CMidiClient& client, std::string name) : mClient(client), mName(std::move(name)) {}

 private:
  CMidiClient& mClient;
  std::string mName;
};
