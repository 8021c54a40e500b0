// The simulated main window and its queue: sends go to the test's handler, messages come from a
// scripted queue, and both kinds of message box are answered from scripts and recorded.
#include "platform/sim/sim_machine.h"

namespace vs::sim {

std::intptr_t SimMachine::sendMessage(WindowHandle, std::uint32_t message, std::uintptr_t,
                                      std::intptr_t) {
  if (onSendAnswered) return onSendAnswered(message);
  if (onSend) onSend(message);
  return 0;
}

bool SimMachine::peekMessage(WindowMessage& message) {
  if (queue.empty()) return false;
  message = queue.front();
  queue.pop_front();
  return true;
}

void SimMachine::dispatchMessage(const WindowMessage& message) {
  dispatched.push_back(message);
}

int SimMachine::skinMessageBox(const char* text, const char* caption, unsigned type) {
  blocking(std::string("messageBox ") + text);
  messageBoxes.push_back({text, caption, type});
  if (messageBoxAnswers.empty()) return kIdNo;
  const int answer = messageBoxAnswers.front();
  messageBoxAnswers.pop_front();
  return answer;
}

int SimMachine::messageBox(const char* text, const char* caption, unsigned type) {
  blocking(std::string("plainMessageBox ") + text);
  plainMessageBoxes.push_back({text, caption, type});
  return kIdOk;
}

}  // namespace vs::sim
