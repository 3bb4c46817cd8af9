// Stands in for zenity or kdialog in the dialog tests: records its arguments, prints the answer that
// the test asked for and ends with the status that the test asked for.
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
  if (const char* log = std::getenv("KRB_FAKE_CHOOSER_LOG"))
  {
    if (FILE* file = std::fopen(log, "wb"))
    {
      for (int i = 0; i < argc; ++i)
        std::fwrite(argv[i], 1, std::char_traits<char>::length(argv[i]) + 1, file);
      std::fclose(file);
    }
  }
  if (const char* answer = std::getenv("KRB_FAKE_CHOOSER_ANSWER"))
    std::fputs(answer, stdout);
  const char* status = std::getenv("KRB_FAKE_CHOOSER_STATUS");
  return status ? std::atoi(status) : 0;
}
