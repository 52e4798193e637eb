// Gives a variable a new value for the length of a scope and its old value back when the scope
// ends, however it ends.
#pragma once

#include <utility>

template <typename T>
class StValueChanger {
 public:
  StValueChanger(T& variable, T newValue) : mVariable(variable), mOriginalValue(variable) {
    mVariable = std::move(newValue);
  }
  ~StValueChanger() { mVariable = std::move(mOriginalValue); }
  StValueChanger(const StValueChanger&) = delete;
  StValueChanger& operator=(const StValueChanger&) = delete;

 private:
  T& mVariable;
  T mOriginalValue;
};
