// The one error model for everything that reads outside input (after
// LibGfx's ErrorOr and LevelDB's Status): a function that can refuse its
// input returns ErrorOr<T>, either the value or the reason, and the reason
// travels up unchanged to where it is said (a status text, a failure
// message, a refusal on stderr), each caller adding where it was if it
// knows more.
//
// The reason is base::Error, a text that says what was wrong and where, or a
// richer type of the reader's own (the program image's refusals carry their
// kind too). Asking an ErrorOr for the side it does not hold throws
// std::bad_variant_access: a programming error, never an input's.
//
// A value type; not shared between threads unless the caller guards it.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace base {

struct Error {
  std::string text;  // e.g. "unit 3 (record at 0x104): a field lies past the end"
};

// The value of an operation that gives nothing but its success:
// ErrorOr<Done, Reason> is either done or the reason it is not.
struct Done {};

template <typename T, typename E = Error>
class [[nodiscard]] ErrorOr {
 public:
  // Implicit, so that a reader returns its value or its reason as it is.
  // NOLINTNEXTLINE(google-explicit-constructor)
  ErrorOr(T value) : v_(std::in_place_index<0>, std::move(value)) {}
  // NOLINTNEXTLINE(google-explicit-constructor)
  ErrorOr(E error) : v_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return v_.index() == 0; }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }

  const E& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, E> v_;
};

}  // namespace base
