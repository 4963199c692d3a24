// SPDX-License-Identifier: MIT
// Reelkit: appends blocks to ZX Spectrum TAP tape images.
#include "platform/Arguments.h"
#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/Process.h"
#include "shell/AppTypes.h"
#include "shell/ClassFactory.h"

#include <new>
#include <string_view>

using namespace reelkit;

namespace {

enum TExitStatus { esSuccess = 0, esFailure = 1, esCommandLine = 2 };

bool IsHelpSwitch(std::string_view text) {
    for (const std::string_view help : {"/h", "-h", "/?", "--help"})
        if (SameText(text, help))
            return true;
    return false;
}

void ShowUsage(const TCommandTable& commands) {
    ConsoleWriteLine("Usage: ");
    for (const auto& command : commands) {
        ConsoleWriteLine();
        command->PrintUsage();
    }
    for (const std::string_view line : {
             "Parameter description:",
             "\tTAPFile - TAP image file name to process;",
             "\tPCFile - Some file in PC file system that contents to be transferred",
             "\tto TAP file;",
             "\tHobetaFile - Name of hobeta file (in PC file system) that contents",
             "\tto be transferred to TAP file;",
             "\tB, N, $, C - switches that defines a type of added header.",
             "",
             "ZX file header parameters:",
             "\tZXFile - name of ZX file;",
             "\tLength - full length of ZX file;",
             "\tAutoStartLine - auto start line number of basic program;",
             "\tProgramLength - length of Basic program only (without variables area;",
             "\tArrayName - single charachter name of array in header;",
             "\tStartAddress - start address of code file in header.",
         })
        ConsoleWriteLine(line);
}

void ReportFailure(std::string_view message) {
    ConsoleWriteLine("An unknown exception occured");
    ConsoleWriteLine("Exception text:");
    ConsoleWriteLine(std::string("\t").append(message));
}

TExitStatus Run(int argc, char** argv) {
    TCommandTable commands;
    try {
        const auto commandLine =
            TClassFactory::CreateCommandLineHelper(ProcessArguments(argc, argv));
        TClassFactory::CreateCommands(commands, commandLine);
        const std::string commandSwitch = commandLine->NextArgument();
        if (IsHelpSwitch(commandSwitch)) {
            ShowUsage(commands);
            return esSuccess;
        }
        if (SameText(commandSwitch, "--version")) {
            ConsoleWriteLine("Reelkit " REELKIT_VERSION);
            return esSuccess;
        }
        const auto command = FindCommand(commands, commandSwitch);
        if (!command)
            throw ECommandLineFormatException("Unknown command");
        command->Execute();
        return esSuccess;
    } catch (const EFaultsFound&) {
        return esFailure;
    } catch (const ECommandLineFormatException& e) {
        ConsoleWriteLine(e.Message());
        ShowUsage(commands);
        return esCommandLine;
    } catch (const Exception& e) {
        ReportFailure(e.Message());
    } catch (const std::bad_alloc&) {
        ReportFailure("Out of memory");
    } catch (const std::exception& e) {
        ReportFailure(e.what());
    }
    return esFailure;
}

} // namespace

int main(int argc, char* argv[]) {
    PrepareProcess();
    const TExitStatus status = Run(argc, argv);
    // Output the system refused is a failure, even of a run that went well.
    if (!ConsoleFlush() && status == esSuccess)
        return esFailure;
    return status;
}
