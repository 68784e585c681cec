// The store's revision: every way the dialogue changes the series raises it (whoever keeps
// something made from them, the crossdating window among them, relies on that); picking
// series for a comparison and an edit the store refuses leave it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/store.h"
#include "detrend/spline.h"
#include "formats/datafile.h"
#include "formats/fhstore.h"
#include "main/detrend.h"
#include "main/edit.h"
#include "main/picking.h"
#include "support/test_support.h"

namespace ringdate {
namespace {

using testing_support::MemoryFileSystem;
using testing_support::ScriptConsole;

TEST(StoreRevision, RisesWithEveryChangeOfTheSeriesAndOnlyThen) {
  auto store = std::make_unique<Store>();
  auto tsi1 = std::make_unique<Tsi1>();
  uint64_t seen = store->revision;
  // Each step must raise the revision (true) or leave it (false).
  const auto step = [&](const char* what, bool raises) {
    SCOPED_TRACE(what);
    if (raises)
      EXPECT_GT(store->revision, seen);
    else
      EXPECT_EQ(store->revision, seen);
    seen = store->revision;
  };

  startup_fill(*store, *tsi1);
  step("the start-up fill", true);
  const std::string example = testing_support::source_dir() + "/examples/pine.rwl";
  ASSERT_EQ(read_data_file(example, "MR", *store).result, DataFileResult::read);
  step("reading a file", true);

  PickPass pass;
  begin_pass(*tsi1, pass);
  ASSERT_TRUE(add_pick(*store, *tsi1, pass, 5));
  close_pass(*store, *tsi1, pass);
  step("a pick", false);

  ScriptConsole con;
  MemoryFileSystem fs;
  recio::Session session(con, fs);
  Spline spline;
  ASSERT_TRUE(detrend_store(session, *store, spline));
  step("the detrending", true);

  EXPECT_EQ(apply_edit(*store, 1, PostedEdit{{RingOp::insert, 1500, Side::before}, 1, 1500}),
            EditCarry::refused);
  step("an edit the store refuses", false);
  EXPECT_EQ(apply_edit(*store, 1, PostedEdit{{RingOp::insert, 1904, Side::before}, 1, 1904}),
            EditCarry::carried);
  step("a carried edit", true);

  fh::Series s;
  s.keycode = "ONE";
  s.first = 1000;
  s.values = {1.0, 2.0, 3.0};
  ASSERT_FALSE(load_heidelberg(std::vector<fh::Series>{s, s}, *store));
  step("a Heidelberg file", true);
}

}  // namespace
}  // namespace ringdate
