// Writes the fuzz target's seed corpus: small valid files of every kind the reader decodes.
// Usage: samples_make_corpus FOLDER

#include "SampleFileWriter.h"

#include <filesystem>
#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
  if (argc != 2)
  {
    std::cerr << "usage: samples_make_corpus FOLDER\n";
    return 2;
  }
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  for (const auto& [name, bytes] : sample_file_writer::SeedCorpusFiles())
  {
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
    {
      std::cerr << "cannot write " << (folder / name).string() << "\n";
      return 1;
    }
  }
  return 0;
}
