#include "program/routines/runtime_link.h"

#include <atomic>
#include <cstdlib>
#include <type_traits>
#include <utility>

#include "program/routines/program_memory.h"

namespace pixaroo {
namespace {

std::atomic<const korvex::Services*> g_services{nullptr};

const korvex::Services& S() {
  const auto* s = g_services.load(std::memory_order_acquire);
  if (s == nullptr) std::abort();
  return *s;
}

// Units as the image names them.
korvex::UnitRef Unit(const korvex::UnitRef& unit) { return ImageUnit(unit); }

// An argument of a forwarding wrapper, as the table takes it: a unit as the
// image names it, anything else handed on as the parameter is declared
// (each wrapper parameter is handed on once, so moving it is safe).
template <class Parameter, class Argument>
Parameter Pass(Argument& argument) {
  if constexpr (std::is_same_v<std::remove_cvref_t<Parameter>, korvex::UnitRef>) {
    return Unit(argument);
  } else {
    return static_cast<Parameter>(std::move(argument));
  }
}

// Calls the table's `Member` with a wrapper's own parameters.
template <auto Member>
struct Forward;
template <class Return, class... Parameters, Return (*korvex::Services::*Member)(Parameters...)>
struct Forward<Member> {
  template <class... Arguments>
  static Return Call(Arguments&... arguments) {
    return (S().*Member)(Pass<Parameters>(arguments)...);
  }
};

}  // namespace

void BindRuntime(const korvex::Services* services) {
  g_services.store(services, std::memory_order_release);
}

void BindProgram(const korvex::Services* services, const korvex::ProgramMemory& memory) {
  BindImageMemory(memory);
  BindRuntime(services);
}

bool RuntimeBound() { return g_services.load(std::memory_order_acquire) != nullptr; }

namespace rt {

#define KORVEX_SERVICE(member, Wrapper, Return, parameters, arguments) \
  Return Wrapper parameters { return Forward<&korvex::Services::member>::Call arguments; }
#define KORVEX_SERVICE_WRAPPED(member, Return, parameters)
#include "runtime/services/service_list.def"

Bytes ReadPicture(UnitRef picture) {
  auto v = S().readProperty(Unit(picture), korvex::kPropPicture);
  auto* b = std::get_if<Bytes>(&v);
  return b != nullptr ? std::move(*b) : Bytes();
}

bool PictureEmpty(UnitRef picture) {
  return S().propertyEmpty(Unit(picture), korvex::kPropPicture);
}

void WritePicture(UnitRef picture, Bytes bytes) {
  S().writeProperty(Unit(picture), korvex::kPropPicture, std::move(bytes));
}

void WriteDialogFileName(UnitRef dialog, const std::string& name) {
  S().writeProperty(Unit(dialog), korvex::kPropDialogFile, name);
}

std::string ReadDialogFileName(UnitRef dialog) {
  auto v = S().readProperty(Unit(dialog), korvex::kPropDialogFile);
  auto* t = std::get_if<std::string>(&v);
  return t != nullptr ? std::move(*t) : std::string();
}

void SetDisabled(UnitRef button, bool disabled) {
  S().writeProperty(Unit(button), korvex::kPropDisabled, disabled);
}

void StartThread(Routine routine) { S().startThread(ImageRoutine(routine)); }
void RegisterExitRoutine(Routine routine) { S().registerExitRoutine(ImageRoutine(routine)); }
void LoadWindow(UnitRef window) { S().loadWindow(Unit(window).window); }

TransferScope NewTransferScope() {
  const korvex::TransferScopes& scopes = S().transferScopes;
  return TransferScope(scopes.create(), scopes.release);
}

void CancelTransfers(const TransferScope& scope) { S().transferScopes.cancel(scope.get()); }

ReadResult HttpRead(const std::string& url, const TransferScope& scope) {
  return S().transferScopes.httpRead(scope.get(), url);
}

Bytes BodyOrEmpty(ReadResult&& read) {
  return read.ok() ? std::move(read).value() : Bytes{};
}
korvex::AnyFunction DllCommandAddress(int number) {
  return S().dllCommand(ImageDllCommand(number));
}
const korvex::ObjectCommands& Objects() { return S().objects; }

}  // namespace rt
}  // namespace pixaroo
