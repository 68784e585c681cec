// Reading a data file into a store without a dialogue, for the evaluation tools: the format
// guessed as the dialogue guesses it; a file the readers refuse gives false.
#pragma once

#include <string>

#include "core/store.h"
#include "formats/trread.h"
#include "main/answers.h"
#include "main/picking.h"
#include "recio/session.h"

namespace bench {

struct Refused {};

class QuietConsole : public recio::Console {
 public:
  void out(std::string_view) override {}
  void flush() override {}
  recio::Outcome in(std::string&) override { return recio::Outcome::eof; }
  void err(std::string_view) override {}
  [[noreturn]] void exit(int) override { throw Refused{}; }
};

inline bool read_store(const std::string& path, ringdate::Store& store) {
  QuietConsole console;
  recio::Session session(console);
  try {
    if (!session.units().open(10, path, recio::Status::old)) return false;
    ringdate::Tsi1 tsi1;
    ringdate::startup_fill(store, tsi1);
    char guess = ' ';
    ringdate::Qforma qforma(session);
    qforma(10, guess);
    session.units().rewind(10);
    if (guess == 'M') store.mode = "MR";
    else if (guess == 'I') store.mode = "IR";
    else if (guess == 'C') store.mode = "CD";
    else return false;
    ringdate::Trread trread(session);
    trread(store.wrk, store.curve, store.mode, store.nser, store.iyr, store.ids, ringdate::mxyr, ringdate::mxser);
    if (!ringdate::align(store)) return false;
    ringdate::snapshot(store);
    return store.nser > 0;
  } catch (const Refused&) {
    return false;
  }
}

}  // namespace bench
