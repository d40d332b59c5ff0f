// Writes the arguments after the first, one per line, into the file named by the first; waits a
// moment first, so a caller that does not wait for it finds no file.
#include <chrono>
#include <fstream>
#include <thread>

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  std::ofstream out(argv[1], std::ios::binary);
  for (int i = 2; i < argc; ++i) out << argv[i] << '\n';
  return 0;
}
