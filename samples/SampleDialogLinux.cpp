// The sample chooser on Linux: the desktop's own file chooser program (zenity or kdialog), run as a
// child process. No toolkit is loaded into the host's process; the chooser prints the chosen path on
// its standard output, which is read through a pipe.

#include "SampleDialog.h"
#include "plugin/UnicodeText.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

extern char** environ;

namespace
{
constexpr char16_t kSeparator = u'/';
// A path is far shorter; anything longer is not a chooser's answer.
constexpr size_t kMaxAnswerBytes = 1 << 16;

struct SampleFileType
{
  const char* mName;
  const char* mPatterns; // space-separated
};

// Shown in this order, the first one selected. "All Documents" shows every file, as it does on Windows.
const SampleFileType kSampleFileTypes[] = {
  {"Sound (*.wav)", "*.wav"},         {"Word Document (*.doc)", "*.doc"}, {"Web Page (*.htm; *.html)", "*.htm *.html"},
  {"Text Document (*.txt)", "*.txt"}, {"All Documents (*.*)", "*"},
};

bool IsDirectory(const std::string& path)
{
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The full path of an executable program of that name on PATH, or the empty text.
std::string FindOnPath(const char* program)
{
  const char* path = std::getenv("PATH");
  if (!path)
    return {};
  std::string dirs(path);
  size_t start = 0;
  while (start <= dirs.size())
  {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos)
      end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (!dir.empty())
    {
      const std::string candidate = dir + "/" + program;
      struct stat info;
      if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0)
        return candidate;
    }
    start = end + 1;
  }
  return {};
}

std::vector<std::string> ZenityArguments(const std::string& startFolder)
{
  std::vector<std::string> args = {"zenity", "--file-selection", "--modal"};
  if (!startFolder.empty())
    args.push_back("--filename=" + startFolder + (startFolder.back() == '/' ? "" : "/"));
  for (const SampleFileType& type : kSampleFileTypes)
    args.push_back(std::string("--file-filter=") + type.mName + " | " + type.mPatterns);
  return args;
}

std::vector<std::string> KdialogArguments(const std::string& startFolder)
{
  // KDE's filter list: one "patterns|name" line per file type.
  std::string filter;
  for (const SampleFileType& type : kSampleFileTypes)
  {
    if (!filter.empty())
      filter += '\n';
    filter += std::string(type.mPatterns) + "|" + type.mName;
  }
  return {"kdialog", "--getopenfilename", startFolder, filter};
}

// Runs the program with the arguments, waits for it to end, and returns what it printed on standard
// output when it ended with status 0.
std::optional<std::string> RunChooser(const std::string& program, const std::vector<std::string>& args)
{
  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0)
    return std::nullopt;

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0)
  {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return std::nullopt;
  }
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (const std::string& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t child = -1;
  const int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (spawned != 0)
  {
    close(pipeFds[0]);
    return std::nullopt;
  }

  std::string answer;
  bool tooLong = false;
  char buffer[4096];
  for (;;)
  {
    const ssize_t got = read(pipeFds[0], buffer, sizeof(buffer));
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      break;
    if (answer.size() + static_cast<size_t>(got) > kMaxAnswerBytes)
      tooLong = true; // keep draining so that the chooser can end
    else
      answer.append(buffer, static_cast<size_t>(got));
  }
  close(pipeFds[0]);

  int status = 0;
  pid_t waited;
  do
    waited = waitpid(child, &status, 0);
  while (waited < 0 && errno == EINTR);

  if (tooLong)
    return std::nullopt;
  if (waited == child)
  {
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      return std::nullopt;
  }
  // A host that reaps its children itself leaves no status: the answer alone tells OK from cancel.
  return answer;
}

bool PreferKdialog()
{
  const char* desktop = std::getenv("XDG_CURRENT_DESKTOP");
  return desktop && std::strstr(desktop, "KDE");
}
} // namespace

void ShowSampleOpenDialog()
{
  try
  {
    std::string startFolder;
    if (auto folder = Utf16ToUtf8Strict(SampleDialogStartFolder(gSampleDialogPath, kSeparator));
        folder && IsDirectory(*folder))
      startFolder = *folder; // a folder that has gone opens the chooser in its own default folder

    const std::string zenity = FindOnPath("zenity");
    const std::string kdialog = FindOnPath("kdialog");
    std::optional<std::string> answer;
    if (!kdialog.empty() && (PreferKdialog() || zenity.empty()))
      answer = RunChooser(kdialog, KdialogArguments(startFolder));
    else if (!zenity.empty())
      answer = RunChooser(zenity, ZenityArguments(startFolder));
    if (!answer)
      return;

    // One path and a line end.
    std::string path = *answer;
    if (!path.empty() && path.back() == '\n')
      path.pop_back();
    if (path.empty() || path.find('\n') != std::string::npos)
      return;
    if (auto chosen = Utf8ToUtf16Strict(path))
      gSampleDialogPath = std::move(*chosen);
  }
  catch (const std::bad_alloc&)
  {
    // Out of memory: like a cancel, the path stays as it was.
  }
}
