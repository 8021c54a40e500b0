// Ownership of a system handle: one template for every kind, with traits that name the close
// function and the value that means "no handle". The owner closes the handle when it goes out of
// scope, on every path; it can be moved, never copied.
#pragma once

#include <utility>

namespace vs {

template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept : value_(Traits::invalid()) {}
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Value get() const noexcept { return value_; }
  bool valid() const noexcept { return value_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // Gives up ownership without closing.
  Value release() noexcept { return std::exchange(value_, Traits::invalid()); }

  // Closes the handle held, if any, and takes the new one.
  void reset(Value value = Traits::invalid()) noexcept {
    const Value old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Value value_;
};

// Traits for the many kinds whose "no handle" is null: the handle's type and its close function.
template <typename Handle, auto Close>
struct NullHandleTraits {
  using Value = Handle;
  static Value invalid() noexcept { return nullptr; }
  static void close(Value value) noexcept { Close(value); }
};

}  // namespace vs
