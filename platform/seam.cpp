#include "platform/code_page.h"
#include "platform/critical_sections.h"
#include "platform/files.h"
#include "platform/module_resources.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/ui.h"
#include "platform/window_state.h"

namespace platform {

// The build's own services, defined by the backend (platform/win32 or platform/posix).
Files& systemFiles();
Registry& systemRegistry();
Ui& systemUi();
CodePage& systemCodePage();
Process& systemProcess();
ModuleResources& systemModuleResources();
Shell& systemShell();
CriticalSections& systemCriticalSections();
WindowState& systemWindowState();

namespace {
Files* replacementFiles = nullptr;
Registry* replacementRegistry = nullptr;
Ui* replacementUi = nullptr;
CodePage* replacementCodePage = nullptr;
Process* replacementProcess = nullptr;
ModuleResources* replacementModuleResources = nullptr;
Shell* replacementShell = nullptr;
CriticalSections* replacementCriticalSections = nullptr;
WindowState* replacementWindowState = nullptr;

template <class T>
T* exchange(T*& slot, T* value) {
    T* previous = slot;
    slot = value;
    return previous;
}
}  // namespace

Files& files() { return replacementFiles ? *replacementFiles : systemFiles(); }
Registry& registry() { return replacementRegistry ? *replacementRegistry : systemRegistry(); }
Ui& ui() { return replacementUi ? *replacementUi : systemUi(); }
CodePage& codePage() { return replacementCodePage ? *replacementCodePage : systemCodePage(); }
Process& process() { return replacementProcess ? *replacementProcess : systemProcess(); }
ModuleResources& moduleResources() {
    return replacementModuleResources ? *replacementModuleResources : systemModuleResources();
}
Shell& shell() { return replacementShell ? *replacementShell : systemShell(); }
CriticalSections& criticalSections() {
    return replacementCriticalSections ? *replacementCriticalSections : systemCriticalSections();
}
WindowState& windowState() { return replacementWindowState ? *replacementWindowState : systemWindowState(); }

Files* Files::replace(Files* r) { return exchange(replacementFiles, r); }
Registry* Registry::replace(Registry* r) { return exchange(replacementRegistry, r); }
Ui* Ui::replace(Ui* r) { return exchange(replacementUi, r); }
CodePage* CodePage::replace(CodePage* r) { return exchange(replacementCodePage, r); }
Process* Process::replace(Process* r) { return exchange(replacementProcess, r); }
ModuleResources* ModuleResources::replace(ModuleResources* r) { return exchange(replacementModuleResources, r); }
Shell* Shell::replace(Shell* r) { return exchange(replacementShell, r); }
CriticalSections* CriticalSections::replace(CriticalSections* r) { return exchange(replacementCriticalSections, r); }
WindowState* WindowState::replace(WindowState* r) { return exchange(replacementWindowState, r); }

}  // namespace platform
