// The process entry.
#include "engine/shell/program_main.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/file_system.h"
#include "engine/core/streams.h"
#include "engine/shell/command_line.h"
#include "engine/shell/engine_start.h"
#include "engine/shell/process_env.h"
#include "engine/ui/headless_host.h"
#include "engine/ui/terminal_host.h"
#include "engine/ui/window_host.h"

namespace engine {

namespace {

void PrintUsage(const ProgramIdentity& id) {
  const std::string prefix = std::string(id.identifier).substr(0, 2);
  const std::string folder = CurrentProcessEnv().ProgramFolder();
  std::printf(
      "Usage: %s [/NAME:value ...]\n"
      "%s\n"
      "\n"
      "Options (also written -NAME:value, --NAME:value or NAME=value; a value holding ':' '/' '&'\n"
      "or blanks is quoted inside its argument, as in \"/DPATH:'/srv/apps'\"):\n"
      "  /APNAME:code    run as application `code` instead of %s; its first two letters\n"
      "                  prefix the file names\n"
      "  /APSTART:menu   start menu when the program names none (%s names %s)\n"
      "  /DPATH:folder   definition folder used when the program's folder has no dictionary\n"
      "  /INPUT:file     run the task lines of a file, one a line, before the start menu\n"
      "  /OUTPUT:file    append the values of completed forms to a file\n"
      "  /RUN:task       run one task line instead of the start menu: \"/RUN:'ExpEval X=1'\";\n"
      "                  quote texts inside it with double quotes\n"
      "  /TRACE:n        trace bits; 272 writes the language to log.txt and ends\n"
      "  /SCRWID /SCRHIG /FILE /INDEX /DEVICE /MODE /CONFIG /HOST /DATABASE /USER /PASSW\n"
      "                  read by name from definitions and procedures\n"
      "  --help          show this text and exit\n"
      "  --version       show the version and exit\n"
      "\n"
      "Environment:\n"
      "  ORVENDAL_HOST=headless  run without a screen (also when standard input or output is\n"
      "                  not a terminal); messages then go to standard error\n"
      "  ORVENDAL_KEYS=file  the keys of a run without a screen, one a line: Enter, Esc, Tab,\n"
      "                  Shift+Tab, F1..F12, Up, Down, Left, Right, PgUp, PgDn, Home, End,\n"
      "                  Ctrl+End, Alt+<letter>, text:<characters>, click:<control number>;\n"
      "                  when they run out, the window is closed and the closing confirmed;\n"
      "                  the file is UTF-8\n"
      "  ORVENDAL_SCREENS=file  append the 80x24 screen (UTF-8) to this file whenever the\n"
      "                  program waits\n"
      "  HOME, TMPDIR, XDG_CONFIG_HOME  give %%USERPROFILE%%, %%HOMEPATH%%, %%TEMP%% and\n"
      "                  %%APPDATA%% in file names when those are not set\n"
      "\n"
      "On a terminal (at least 80 x 24) F10, or Alt with a menu's initial letter, opens the menu;\n"
      "the arrows move, Enter chooses, Esc goes back; Esc in the main window asks to close the\n"
      "program. Mouse clicks work where the terminal reports them.\n"
      "\n"
      "Files:\n"
      "  The dictionary %sDICC.DAT is looked for in the program's folder\n"
      "    %s\n"
      "  else in the DPATH folder, else in ../APPS; that folder is then the definition folder.\n"
      "  The menu,"
      " %sCLCFIX.DAT and the other definition files are looked for in the current\n"
      "  folder first, then in the definition folder.\n"
      "  Data files, the run state file %sFSTAT.DAT and the log %slog.txt are kept in the\n"
      "  current folder.\n",
      id.name, id.description, id.identifier, id.name, id.start_menu, prefix.c_str(),
      folder.c_str(), prefix.c_str(), prefix.c_str(), prefix.c_str());
}

}  // namespace

int ProgramMain(const ProgramIdentity& identity, int argc, char** argv, ApplicationMain run) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      PrintUsage(identity);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s (Orvendal) %s\n", identity.name, identity.version);
      return 0;
    }
  }
  // A batch run (standard input or output not a terminal, or ORVENDAL_HOST=headless) runs on the
  // headless host, and what the program says in message boxes goes to standard error as well.
  // A person at a terminal gets the terminal host.
  std::string host_choice;
  const bool batch =
      !CurrentProcessEnv().OnTerminal() ||
      (CurrentProcessEnv().Variable("ORVENDAL_HOST", &host_choice) && host_choice == "headless");
  TerminalHost terminal;
  HeadlessHost headless;
  WindowHost* host = &headless;
  if (!batch) {
    std::string reason;
    if (terminal.Start(&reason)) {
      host = &terminal;
    } else {
      std::fprintf(stderr, "%s: %s; running without a screen\n", identity.name, reason.c_str());
    }
  }
  if (host == &headless) {
    headless.EchoTo(CurrentFileSystem().StandardStream(kStdErr));
    std::string keys;
    if (CurrentProcessEnv().Variable("ORVENDAL_KEYS", &keys) && !keys.empty()) {
      size_t bad_line = 0;
      const Status loaded = headless.LoadScriptFile(keys, &bad_line);
      if (loaded == kBadInputData) {
        std::fprintf(stderr, "%s: ORVENDAL_KEYS: line %zu of %s names no key\n", identity.name,
                     bad_line, keys.c_str());
        return loaded.code();
      }
      if (!loaded.ok()) {
        std::fprintf(stderr, "%s: ORVENDAL_KEYS: %s cannot be read\n", identity.name, keys.c_str());
        return loaded.code();
      }
    }
    std::string screens;
    if (CurrentProcessEnv().Variable("ORVENDAL_SCREENS", &screens)) headless.SetScreenLog(screens);
  }
  SetWindowHost(host);
  const std::string line = JoinCommandLine(argc, argv);
  const Status status = run(StrView(line));
  EngineRelease();
  SetWindowHost(nullptr);
  terminal.Stop();
  std::fflush(stdout);
  return status.code() > 255 ? 255 : status.code();
}

}  // namespace engine
