#pragma once

// The program's entry point: brings the framework up, runs the installer until the user
// quits, and returns the exit status.
namespace startup {

int entryPoint(int argc, char** argv);

void Main();
void InitPluginEntrypoints();
void NewAppInstance();
void MakeDefaultView();

} // namespace startup
