// Writes the fuzz target's seed corpus: small files of every kind the reader decodes, and of the
// kinds it refuses by their sub-format or compression type.
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
  for (const sample_file_writer::SeedFile& file : sample_file_writer::SeedCorpusFiles())
  {
    std::ofstream out(folder / file.mName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.mBytes.data()), static_cast<std::streamsize>(file.mBytes.size()));
    if (!out)
    {
      std::cerr << "cannot write " << (folder / file.mName).string() << "\n";
      return 1;
    }
  }
  return 0;
}
