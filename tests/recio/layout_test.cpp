// Layout reads and writes compared with gfortran's results for the same layouts, items
// and records (the case table below), plus the layout texts the program relies on.
#include "recio/layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "recio/units.h"
#include "support/test_support.h"

namespace {

using recio::In;
using recio::Layout;
using recio::Out;
using recio::Outcome;

struct Case {
  int id;
  const char* prog;
  const char* layout;
  const char* items_text;
  const char* records;
  const char* result;
};

// Cases run through gfortran 12.2 (libgfortran): id, program, layout, items, records
// (\n between records, \t and \r as escapes; <EOF> = no record at all), result lines.
const Case kCases[] =
    {
        // Cases checked against gfortran 12.2 (libgfortran): id, program, layout, items,
        // records (\n between records, \t, \r as escapes; <EOF> = no record), result.
        {1, "fmtread", R"~((I4))~", R"~(I)~", R"~(  12)~", R"~(OK\n12\nNEXT EOF)~"},
        {2, "fmtread", R"~((I4))~", R"~(I)~", R"~(12  )~", R"~(OK\n12\nNEXT EOF)~"},
        {3, "fmtread", R"~((I4))~", R"~(I)~", R"~(1 2 )~", R"~(OK\n12\nNEXT EOF)~"},
        {4, "fmtread", R"~((I4))~", R"~(I)~", R"~(    )~", R"~(OK\n0\nNEXT EOF)~"},
        {5, "fmtread", R"~((I4))~", R"~(I)~", R"~()~", R"~(OK\n0\nNEXT EOF)~"},
        {6, "fmtread", R"~((I4))~", R"~(I)~", R"~(12)~", R"~(OK\n12\nNEXT EOF)~"},
        {7, "fmtread", R"~((I4))~", R"~(I)~", R"~(<EOF>)~",
         R"~(EOF iostat=-1 End of file\nunset\nBACK EOF)~"},
        {8, "fmtread", R"~((I4))~", R"~(I)~", R"~(  -5)~", R"~(OK\n-5\nNEXT EOF)~"},
        {9, "fmtread", R"~((I4))~", R"~(I)~", R"~(-  5)~", R"~(OK\n-5\nNEXT EOF)~"},
        {10, "fmtread", R"~((I4))~", R"~(I)~", R"~(  +5)~", R"~(OK\n5\nNEXT EOF)~"},
        {11, "fmtread", R"~((I4))~", R"~(I)~", R"~(+ 5 )~", R"~(OK\n5\nNEXT EOF)~"},
        {12, "fmtread", R"~((I4))~", R"~(I)~", R"~(   -)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [   -])~"},
        {13, "fmtread", R"~((I4))~", R"~(I)~", R"~(   +)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [   +])~"},
        {14, "fmtread", R"~((I4))~", R"~(I)~", R"~(-   )~", R"~(OK\n0\nNEXT EOF)~"},
        {15, "fmtread", R"~((I4))~", R"~(I)~", R"~(  - )~", R"~(OK\n0\nNEXT EOF)~"},
        {16, "fmtread", R"~((I2))~", R"~(I)~", R"~(-)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [-])~"},
        {17, "fmtread", R"~((2I2))~", R"~(I I)~", R"~( - 5)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nunset\nBACK [ - 5])~"},
        {18, "fmtread", R"~((I4))~", R"~(I)~", R"~(5-  )~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [5-])~"},
        {19, "fmtread", R"~((I4))~", R"~(I)~", R"~(1-2 )~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [1-2])~"},
        {20, "fmtread", R"~((I4))~", R"~(I)~", R"~(ab  )~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [ab])~"},
        {21, "fmtread", R"~((I4))~", R"~(I)~", R"~(12ab)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [12ab])~"},
        {22, "fmtread", R"~((I4))~", R"~(I)~", R"~(3.5 )~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [3.5])~"},
        {23, "fmtread", R"~((I4))~", R"~(I)~", R"~(1e2 )~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [1e2])~"},
        {24, "fmtread", R"~((I4))~", R"~(I)~", R"~( 1,2)~", R"~(OK\n1\nNEXT EOF)~"},
        {25, "fmtread", R"~((3I4))~", R"~(I*3)~", R"~(1,2,3)~", R"~(OK\n1\n2\n3\nNEXT EOF)~"},
        {26, "fmtread", R"~((I4))~", R"~(I)~", R"~(-0  )~", R"~(OK\n0\nNEXT EOF)~"},
        {27, "fmtread", R"~((I4))~", R"~(I)~", R"~(0012)~", R"~(OK\n12\nNEXT EOF)~"},
        {28, "fmtread", R"~((I4))~", R"~(I)~", R"~(12345)~", R"~(OK\n1234\nNEXT EOF)~"},
        {29, "fmtread", R"~((I4))~", R"~(I)~", R"~(\t12)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nBACK [\t12])~"},
        {30, "fmtread", R"~((I4))~", R"~(I)~", R"~(  12\r)~", R"~(OK\n12\nNEXT EOF)~"},
        {31, "fmtread", R"~((i4))~", R"~(I)~", R"~(  12)~", R"~(OK\n12\nNEXT EOF)~"},
        {32, "fmtread", R"~((I10))~", R"~(I)~", R"~(2147483647)~", R"~(OK\n2147483647\nNEXT EOF)~"},
        {33, "fmtread", R"~((I10))~", R"~(I)~", R"~(2147483648)~",
         R"~(ERR iostat=5011 Value overflowed during integer read\nunset\nBACK [2147483648])~"},
        {34, "fmtread", R"~((I11))~", R"~(I)~", R"~(-2147483648)~",
         R"~(OK\n-2147483648\nNEXT EOF)~"},
        {35, "fmtread", R"~((I11))~", R"~(I)~", R"~(-2147483649)~",
         R"~(ERR iostat=5011 Value overflowed during integer read\nunset\nBACK [-2147483649])~"},
        {36, "fmtread", R"~((I12))~", R"~(I)~", R"~( 99999999999)~",
         R"~(ERR iostat=5011 Value overflowed during integer read\nunset\nBACK [ 99999999999])~"},
        {37, "fmtread", R"~((I20))~", R"~(I)~", R"~(00000000000000000012)~",
         R"~(OK\n12\nNEXT EOF)~"},
        {38, "fmtread", R"~((I0))~", R"~(I)~", R"~(  5)~",
         R"~(ERR iostat=5006 Positive integer required in format\n(I0)\n  ^\nunset\nBACK [  5])~"},
        {39, "fmtread", R"~((I2))~", R"~(I @INT=10)~", R"~(42)~", R"~(OK\n42)~"},
        {40, "fmtread", R"~((I1))~", R"~(I @INT=10)~", R"~(7)~", R"~(OK\n7)~"},
        {41, "fmtread", R"~((I10))~", R"~(I @INT=10)~", R"~(1234567890)~", R"~(OK\n1234567890)~"},
        {42, "fmtread", R"~((I3))~", R"~(I @INT=10)~", R"~(4 2)~", R"~(OK\n42)~"},
        {43, "fmtread", R"~((i4))~", R"~(I @INT=10)~", R"~(  12)~", R"~(OK\n12)~"},
        {44, "fmtread", R"~((i4))~", R"~(I @INT=10)~", R"~(12)~", R"~(OK\n12)~"},
        {45, "fmtread", R"~((i4))~", R"~(I @INT=10)~", R"~(123456)~", R"~(OK\n1234)~"},
        {46, "fmtread", R"~((i4))~", R"~(I @INT=10)~", R"~()~", R"~(OK\n0)~"},
        {47, "fmtread", R"~((i4))~", R"~(I @INT=10)~", R"~(y)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset)~"},
        {48, "fmtread", R"~((i2))~", R"~(I @INT=10)~", R"~(5)~", R"~(OK\n5)~"},
        {49, "fmtread", R"~((i2))~", R"~(I @INT=10)~", R"~( 5)~", R"~(OK\n5)~"},
        {50, "fmtread", R"~((i2))~", R"~(I @INT=10)~", R"~(123)~", R"~(OK\n12)~"},
        {51, "fmtread", R"~((i2))~", R"~(I @INT=10)~", R"~(-)~", R"~(OK\n0)~"},
        {52, "fmtread", R"~((I8))~", R"~(I @INT=3)~", R"~(123)~", R"~(OK\n123)~"},
        {53, "fmtread", R"~((I8))~", R"~(I @INT=8)~", R"~(25      )~", R"~(OK\n25)~"},
        {54, "fmtread", R"~((I8))~", R"~(I @INT=8)~", R"~(  2 5   )~", R"~(OK\n25)~"},
        {55, "fmtread", R"~((I3))~", R"~(I @INT=3)~", R"~( -2)~", R"~(OK\n-2)~"},
        {56, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(  98)~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {57, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(98)~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {58, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(98  )~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {59, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(9 8)~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {60, "fmtread", R"~((F4.2))~", R"~(R)~", R"~( -98)~", R"~(OK\n-9.80000019E-01\nNEXT EOF)~"},
        {61, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(-98)~", R"~(OK\n-9.80000019E-01\nNEXT EOF)~"},
        {62, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(.98)~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {63, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(9.8)~", R"~(OK\n9.80000019E+00\nNEXT EOF)~"},
        {64, "fmtread", R"~((F4.2))~", R"~(R)~", R"~( 1.5)~", R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {65, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(-1.5)~", R"~(OK\n-1.50000000E+00\nNEXT EOF)~"},
        {66, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(   5)~", R"~(OK\n5.00000007E-02\nNEXT EOF)~"},
        {67, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(    )~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {68, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(   -)~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {69, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(-)~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {70, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(   +)~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {71, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(   .)~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {72, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(  -.)~", R"~(OK\n-0.00000000E+00\nNEXT EOF)~"},
        {73, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1E2 )~", R"~(OK\n1.00000000E+00\nNEXT EOF)~"},
        {74, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1+2 )~", R"~(OK\n1.00000000E+00\nNEXT EOF)~"},
        {75, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1-2 )~", R"~(OK\n9.99999975E-05\nNEXT EOF)~"},
        {76, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1.+2)~", R"~(OK\n1.00000000E+02\nNEXT EOF)~"},
        {77, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(E2  )~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {78, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1.5E)~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [1.5E])~"},
        {79, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1.5-)~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [1.5-])~"},
        {80, "fmtread", R"~((F5.2))~", R"~(R)~", R"~(1.5- )~", R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {81, "fmtread", R"~((F5.2))~", R"~(R)~", R"~(1.5E )~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [1.5E])~"},
        {82, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1,2)~", R"~(OK\n9.99999978E-03\nNEXT EOF)~"},
        {83, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(abcd)~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [abcd])~"},
        {84, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(1q1 )~", R"~(OK\n1.00000001E-01\nNEXT EOF)~"},
        {85, "fmtread", R"~((F4.2))~", R"~(R)~", R"~( Inf)~", R"~(OK\nInfinity\nNEXT EOF)~"},
        {86, "fmtread", R"~((F4.2))~", R"~(R)~", R"~( NaN)~", R"~(OK\nNaN\nNEXT EOF)~"},
        {87, "fmtread", R"~((F4.2))~", R"~(R)~", R"~(98\r)~", R"~(OK\n9.80000019E-01\nNEXT EOF)~"},
        {88, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(   1.5E2)~",
         R"~(OK\n1.50000000E+02\nNEXT EOF)~"},
        {89, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(   1.5+2)~",
         R"~(OK\n1.50000000E+02\nNEXT EOF)~"},
        {90, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(    15E1)~",
         R"~(OK\n1.50000006E-01\nNEXT EOF)~"},
        {91, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(    15+1)~",
         R"~(OK\n1.50000006E-01\nNEXT EOF)~"},
        {92, "fmtread", R"~((F8.3))~", R"~(R)~", R"~( 1.5 E 2)~",
         R"~(OK\n1.50000000E+02\nNEXT EOF)~"},
        {93, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  1.5e-2)~",
         R"~(OK\n1.49999997E-02\nNEXT EOF)~"},
        {94, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(   1.5D2)~",
         R"~(OK\n1.50000000E+02\nNEXT EOF)~"},
        {95, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(    1500)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {96, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(   -1500)~",
         R"~(OK\n-1.50000000E+00\nNEXT EOF)~"},
        {97, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(-   1.5)~",
         R"~(OK\n-1.50000000E+00\nNEXT EOF)~"},
        {98, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(1.5     )~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {99, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(   1 5 0)~",
         R"~(OK\n1.50000006E-01\nNEXT EOF)~"},
        {100, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(12345678)~",
         R"~(OK\n1.23456777E+04\nNEXT EOF)~"},
        {101, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  1.5.2 )~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [  1.5.2])~"},
        {102, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  +-1.5)~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [  +-1.5])~"},
        {103, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  1.5 x )~",
         R"~(ERR iostat=5010 Bad value during floating point read\nunset\nBACK [  1.5 x])~"},
        {104, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  1.5E40)~", R"~(OK\nInfinity\nNEXT EOF)~"},
        {105, "fmtread", R"~((F8.3))~", R"~(R)~", R"~( -1.5E40)~", R"~(OK\n-Infinity\nNEXT EOF)~"},
        {106, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  1.E-50)~",
         R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {107, "fmtread", R"~((F8.3))~", R"~(R)~", R"~(  -0.000)~",
         R"~(OK\n-0.00000000E+00\nNEXT EOF)~"},
        {108, "fmtread", R"~((F6.0))~", R"~(R)~", R"~(   123)~",
         R"~(OK\n1.23000000E+02\nNEXT EOF)~"},
        {109, "fmtread", R"~((F6.0))~", R"~(R)~", R"~(  1.5 )~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {110, "fmtread", R"~((F6.0))~", R"~(R)~", R"~(123456)~",
         R"~(OK\n1.23456000E+05\nNEXT EOF)~"},
        {111, "fmtread", R"~((F2.0))~", R"~(R)~", R"~(-5)~", R"~(OK\n-5.00000000E+00\nNEXT EOF)~"},
        {112, "fmtread", R"~((F1.0))~", R"~(R)~", R"~(-)~", R"~(OK\n0.00000000E+00\nNEXT EOF)~"},
        {113, "fmtread", R"~((10E8.3))~", R"~(R)~", R"~(     1.5)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {114, "fmtread", R"~((10G8.3))~", R"~(R)~", R"~(    1500)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {115, "fmtread", R"~((10f8.3))~", R"~(R*2)~", R"~(   1.500    2500)~",
         R"~(OK\n1.50000000E+00\n2.50000000E+00\nNEXT EOF)~"},
        {116, "fmtread", R"~(( 10F8.3 ))~", R"~(R)~", R"~(   1.500)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {117, "fmtread", R"~((10F8.3)xyz)~", R"~(R)~", R"~(   1.500)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {118, "fmtread", R"~((13F6.0)  )~", R"~(R)~", R"~(   150)~",
         R"~(OK\n1.50000000E+02\nNEXT EOF)~"},
        {119, "fmtread", R"~((F8.3,))~", R"~(R)~", R"~(   1.500)~",
         R"~(OK\n1.50000000E+00\nNEXT EOF)~"},
        {120, "fmtread", R"~((10F8))~", R"~(R)~", R"~(   1.500)~",
         R"~(ERR iostat=5006 Period required in format\n(10F8)\n     ^\nunset\nBACK [   1.500])~"},
        {121, "fmtread", R"~((10F8.3)~", R"~(R)~", R"~(   1.500)~",
         R"~(ERR iostat=5006 Unexpected element '3' in format\n(10F8.3\n     ^\nunset\nBACK [   1.500])~"},
        {122, "fmtread", R"~(10F8.3)~", R"~(R)~", R"~(   1.500)~",
         R"~(ERR iostat=5006 Missing initial left parenthesis in format\n10F8.3\n ^\nunset\nBACK [   1.500])~"},
        {123, "fmtread", R"~((10X))~", R"~(R)~", R"~(   1.500)~",
         R"~(ERR iostat=5006 Insufficient data descriptors in format after reversion\nunset\nBACK [   1.500])~"},
        {124, "fmtread", R"~(())~", R"~(R)~", R"~(   1.500)~",
         R"~(ERR iostat=5006 Insufficient data descriptors in format after reversion\nunset\nBACK [   1.500])~"},
        {125, "fmtread", R"~((10I8))~", R"~(R)~", R"~(       1)~",
         R"~(ERR iostat=5006 Expected INTEGER for item 1 in formatted transfer, got REAL\n(10I8)\n   ^\nunset\nBACK [       1])~"},
        {126, "fmtread", R"~((10F8.3))~", R"~(I)~", R"~(       1)~",
         R"~(ERR iostat=5006 Expected REAL for item 1 in formatted transfer, got INTEGER\n(10F8.3)\n   ^\nunset\nBACK [       1])~"},
        {127, "fmtread", R"~((I8))~", R"~(A8)~", R"~(       1)~",
         R"~(ERR iostat=5006 Expected INTEGER for item 1 in formatted transfer, got CHARACTER\n(I8)\n ^\nunset\nBACK [       1])~"},
        {128, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~",
         R"~(N       25      1900  (10F8.3))~", R"~(OK\n25\n1900\n[(10F8.3)]\nNEXT EOF)~"},
        {129, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~",
         R"~(N       25      1900  (5F6.0))~", R"~(OK\n25\n1900\n[(5F6.0) ]\nNEXT EOF)~"},
        {130, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~", R"~(N   25)~",
         R"~(OK\n25\n0\n[        ]\nNEXT EOF)~"},
        {131, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~", R"~()~",
         R"~(OK\n0\n0\n[        ]\nNEXT EOF)~"},
        {132, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~",
         R"~(ABC01                                                                          #)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nunset\nunset\nBACK [ABC01                                                                          #])~"},
        {133, "fmtread", R"~((2(2X,I8),T23,A))~", R"~(I I A8)~", R"~(Title: Mount Example spruce)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nunset\nunset\nBACK [Title: Mount Example spruce])~"},
        {134, "fmtread", R"~((10F8.3))~", R"~(R 25)~",
         R"~(   0.100   0.200   0.300   0.400   0.500   0.600   0.700   0.800   0.900   1.000\n   1.100   1.200   1.300   1.400   1.500   1.600   1.700   1.800   1.900   2.000\n   2.100   2.200   2.300   2.400   2.500\nXYZ02                                                                          #)~",
         R"~(OK\n1.00000001E-01\n2.00000003E-01\n3.00000012E-01\n4.00000006E-01\n5.00000000E-01\n6.00000024E-01\n6.99999988E-01\n8.00000012E-01\n8.99999976E-01\n1.00000000E+00\n1.10000002E+00\n1.20000005E+00\n1.29999995E+00\n1.39999998E+00\n1.50000000E+00\n1.60000002E+00\n1.70000005E+00\n1.79999995E+00\n1.89999998E+00\n2.00000000E+00\n2.09999990E+00\n2.20000005E+00\n2.29999995E+00\n2.40000010E+00\n2.50000000E+00\nNEXT [XYZ02                                                                          #])~"},
        {135, "fmtread", R"~((10F8.3))~", R"~(R 25)~",
         R"~(   0.100   0.200   0.300   0.400   0.500   0.600   0.700   0.800   0.900   1.000\n   1.100   1.200   1.300   1.400   1.500   1.600   1.700   1.800   1.900   2.000\n   2.100   2.200   2.300   2.400   2.500   2.600   2.700\nNEXT LINE)~",
         R"~(OK\n1.00000001E-01\n2.00000003E-01\n3.00000012E-01\n4.00000006E-01\n5.00000000E-01\n6.00000024E-01\n6.99999988E-01\n8.00000012E-01\n8.99999976E-01\n1.00000000E+00\n1.10000002E+00\n1.20000005E+00\n1.29999995E+00\n1.39999998E+00\n1.50000000E+00\n1.60000002E+00\n1.70000005E+00\n1.79999995E+00\n1.89999998E+00\n2.00000000E+00\n2.09999990E+00\n2.20000005E+00\n2.29999995E+00\n2.40000010E+00\n2.50000000E+00\nNEXT [NEXT LINE])~"},
        {136, "fmtread", R"~((10F8.3))~", R"~(R 25)~",
         R"~(     100     200     300\n     400\n     500)~", R"~(OK\n1.00000001E-01\n2.00000003E-01\n3.00000012E-01\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n4.00000006E-01\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n5.00000000E-01\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\nNEXT EOF)~"},
        {137, "fmtread", R"~((10F8.3))~", R"~(R 25)~",
         R"~(   0.100   0.200   0.300   0.400   0.500   0.600   0.700   0.800   0.900   1.000\n   1.100   1.200   1.300   1.400   1.500   1.600   1.700   1.800   1.900   2.000)~",
         R"~(EOF iostat=-1 End of file\n1.00000001E-01\n2.00000003E-01\n3.00000012E-01\n4.00000006E-01\n5.00000000E-01\n6.00000024E-01\n6.99999988E-01\n8.00000012E-01\n8.99999976E-01\n1.00000000E+00\n1.10000002E+00\n1.20000005E+00\n1.29999995E+00\n1.39999998E+00\n1.50000000E+00\n1.60000002E+00\n1.70000005E+00\n1.79999995E+00\n1.89999998E+00\n2.00000000E+00\nunset\nunset\nunset\nunset\nunset\nBACK EOF)~"},
        {138, "fmtread", R"~((10F8.3))~", R"~(R 25)~",
         R"~(   0.100   0.200   0.300   0.400   0.500   0.600   0.700   0.800   0.900   1.000\n   1.100   1.200   bad     1.400\n   2.100)~",
         R"~(ERR iostat=5010 Bad value during floating point read\n1.00000001E-01\n2.00000003E-01\n3.00000012E-01\n4.00000006E-01\n5.00000000E-01\n6.00000024E-01\n6.99999988E-01\n8.00000012E-01\n8.99999976E-01\n1.00000000E+00\n1.10000002E+00\n1.20000005E+00\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nBACK [   1.100   1.200   bad     1.400])~"},
        {139, "fmtread", R"~((10F8.3))~", R"~(R 3)~", R"~(   1.5E2   1.5+2    15E1)~",
         R"~(OK\n1.50000000E+02\n1.50000000E+02\n1.50000006E-01\nNEXT EOF)~"},
        {140, "fmtread", R"~((8F10.4))~", R"~(R 10)~",
         R"~(    1.2345    2.3456       123      -0.5     1.0E2      1.+2    -12345         0\n   12345.6    1.2E-3)~",
         R"~(OK\n1.23450005E+00\n2.34559989E+00\n1.22999996E-02\n-5.00000000E-01\n1.00000000E+02\n1.00000000E+02\n-1.23450005E+00\n0.00000000E+00\n1.23455996E+04\n1.20000006E-03\nNEXT EOF)~"},
        {141, "fmtread", R"~((8F10.4))~", R"~(R 4)~", R"~(    1.0    2.0    3.0    4.0)~",
         R"~(ERR iostat=5010 Bad value during floating point read\n1.00000000E+00\nunset\nunset\nunset\nBACK [    1.0    2.0    3.0    4.0])~"},
        {142, "fmtread", R"~((5F6.0))~", R"~(R 12)~",
         R"~(   1.5  2.25   -3.     4   5.5\n     6     7     8     9    10\n    11    12)~",
         R"~(OK\n1.50000000E+00\n2.25000000E+00\n-3.00000000E+00\n4.00000000E+00\n5.50000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n1.00000000E+01\n1.10000000E+01\n1.20000000E+01\nNEXT EOF)~"},
        {143, "fmtread", R"~((10F8.3))~", R"~()~", R"~(first record\nsecond record)~",
         R"~(OK\nNEXT [second record])~"},
        {144, "fmtread", R"~((10F8.3))~", R"~(R 2)~", R"~(   1.000   2.000\r\nNEXT)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00\nNEXT [NEXT])~"},
        {145, "fmtread", R"~((1X,I7,2X,I8,3X,A8))~", R"~(I I A8)~",
         R"~(       5=N    1900=I ABC01                                           -2(26F3.0)~ XYZ)~",
         R"~(OK\n5\n1900\n[ABC01   ]\nNEXT EOF)~"},
        {146, "fmtread", R"~((1X,I7,2X,I8,3X,A8))~", R"~(I I A8)~",
         R"~(12345678=N    1900=I ABC01)~", R"~(OK\n2345678\n1900\n[ABC01   ]\nNEXT EOF)~"},
        {147, "fmtread", R"~((1X,I7,2X,I8,3X,A8))~", R"~(I I A8)~", R"~(       5=N    1900=I AB)~",
         R"~(OK\n5\n1900\n[AB      ]\nNEXT EOF)~"},
        {148, "fmtread", R"~((1X,I7,2X,I8,3X,A8))~", R"~(I I A8)~",
         R"~(Compact data from site X, 1990)~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nunset\nunset\nBACK [Compact data from site X, 1990])~"},
        {149, "fmtread", R"~((1X,I7,2X,I8,3X,A8))~", R"~(I I A8)~", R"~()~",
         R"~(OK\n0\n0\n[        ]\nNEXT EOF)~"},
        {150, "fmtread", R"~((I3,A))~", R"~(I A8 @INT=11)~", R"~( -2(26F3.0))~",
         R"~(OK\n-2\n[(26F3.0)])~"},
        {151, "fmtread", R"~((I3,A))~", R"~(I A8 @INT=11)~", R"~(  0(13F6.0))~",
         R"~(OK\n0\n[(13F6.0)])~"},
        {152, "fmtread", R"~((I3,A))~", R"~(I A8 @INT=11)~", R"~(abc(13F6.0))~",
         R"~(ERR iostat=5010 Bad value during integer read\nunset\nunset)~"},
        {153, "fmtread", R"~((26F3.0))~", R"~(R 5)~", R"~( 12150203 90110)~",
         R"~(OK\n1.20000000E+01\n1.50000000E+02\n2.03000000E+02\n9.00000000E+01\n1.10000000E+02\nNEXT EOF)~"},
        {154, "fmtread", R"~((13F6.0))~", R"~(R 15)~", R"~(   100   200   300   400   500   600   700   800   900  1000  1100  1200  1300\n  1400  1500\n       5=N    1901=I NEXT01)~", R"~(OK\n1.00000000E+02\n2.00000000E+02\n3.00000000E+02\n4.00000000E+02\n5.00000000E+02\n6.00000000E+02\n7.00000000E+02\n8.00000000E+02\n9.00000000E+02\n1.00000000E+03\n1.10000000E+03\n1.20000000E+03\n1.30000000E+03\n1.40000000E+03\n1.50000000E+03\nNEXT [       5=N    1901=I NEXT01])~"},
        {155, "fmtread", R"~((16F5.0))~", R"~(R 17)~",
         R"~(    1    2    3    4    5    6    7    8    9   10   11   12   13   14   15   16\n  -17)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n1.00000000E+01\n1.10000000E+01\n1.20000000E+01\n1.30000000E+01\n1.40000000E+01\n1.50000000E+01\n1.60000000E+01\n-1.70000000E+01\nNEXT EOF)~"},
        {156, "fmtread", R"~((20F4.0))~", R"~(R 21)~",
         R"~(   1   2   3   4   5   6   7   8   9  10  11  12  13  14  15  16  17  18  19  20\n  21)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n1.00000000E+01\n1.10000000E+01\n1.20000000E+01\n1.30000000E+01\n1.40000000E+01\n1.50000000E+01\n1.60000000E+01\n1.70000000E+01\n1.80000000E+01\n1.90000000E+01\n2.00000000E+01\n2.10000000E+01\nNEXT EOF)~"},
        {157, "fmtread", R"~((40F2.0))~", R"~(R*4)~", R"~(-1-2 3 -)~",
         R"~(OK\n-1.00000000E+00\n-2.00000000E+00\n3.00000000E+00\n0.00000000E+00\nNEXT EOF)~"},
        {158, "fmtread", R"~((40F2.0))~", R"~(R 42)~",
         R"~( 1 2 3 4 5 6 7 8 910111213141516171819202122232425262728293031323334353637383940\n4142)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n1.00000000E+01\n1.10000000E+01\n1.20000000E+01\n1.30000000E+01\n1.40000000E+01\n1.50000000E+01\n1.60000000E+01\n1.70000000E+01\n1.80000000E+01\n1.90000000E+01\n2.00000000E+01\n2.10000000E+01\n2.20000000E+01\n2.30000000E+01\n2.40000000E+01\n2.50000000E+01\n2.60000000E+01\n2.70000000E+01\n2.80000000E+01\n2.90000000E+01\n3.00000000E+01\n3.10000000E+01\n3.20000000E+01\n3.30000000E+01\n3.40000000E+01\n3.50000000E+01\n3.60000000E+01\n3.70000000E+01\n3.80000000E+01\n3.90000000E+01\n4.00000000E+01\n4.10000000E+01\n4.20000000E+01\nNEXT EOF)~"},
        {159, "fmtread", R"~((80F1.0))~", R"~(R 85)~",
         R"~(12345678901234567890123456789012345678901234567890123456789012345678901234567890\n98765)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n1.00000000E+00\n2.00000000E+00\n3.00000000E+00\n4.00000000E+00\n5.00000000E+00\n6.00000000E+00\n7.00000000E+00\n8.00000000E+00\n9.00000000E+00\n0.00000000E+00\n9.00000000E+00\n8.00000000E+00\n7.00000000E+00\n6.00000000E+00\n5.00000000E+00\nNEXT EOF)~"},
        {160, "fmtread", R"~((80F1.0))~", R"~(R*3)~", R"~(-5 )~",
         R"~(OK\n0.00000000E+00\n5.00000000E+00\n0.00000000E+00\nNEXT EOF)~"},
        {161, "fmtread", R"~((26F3.0))~", R"~(R 30)~", R"~( 12150203 90110\n  1)~",
         R"~(OK\n1.20000000E+01\n1.50000000E+02\n2.03000000E+02\n9.00000000E+01\n1.10000000E+02\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\n1.00000000E+00\n0.00000000E+00\n0.00000000E+00\n0.00000000E+00\nNEXT EOF)~"},
        {162, "fmtread", R"~((13F6.0))~", R"~(R 3)~", R"~(   1.5  -2.5   1E3)~",
         R"~(OK\n1.50000000E+00\n-2.50000000E+00\n1.00000000E+03\nNEXT EOF)~"},
        {163, "fmtread", R"~((13F6.0))~", R"~(R 3)~", R"~(   100   2x0   300)~",
         R"~(ERR iostat=5010 Bad value during floating point read\n1.00000000E+02\nunset\nunset\nBACK [   100   2x0   300])~"},
        {164, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~",
         R"~(ABC01   1900   100   200   300   400   500   600   700   800   900  1000)~",
         R"~(OK\n[ABC01   ]\n1900\n100\n200\n300\n400\n500\n600\n700\n800\n900\n1000\nNEXT EOF)~"},
        {165, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~",
         R"~(ABC01   1905   123   456   999)~",
         R"~(OK\n[ABC01   ]\n1905\n123\n456\n999\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {166, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~", R"~()~",
         R"~(OK\n[        ]\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {167, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~",
         R"~(ABC01   1900   123   456   78x   999)~",
         R"~(ERR iostat=5010 Bad value during integer read\n[ABC01   ]\n1900\n123\n456\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nBACK [ABC01   1900   123   456   78x   999])~"},
        {168, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~",
         R"~(Site Spruce Mountain 1900-1990)~",
         R"~(ERR iostat=5010 Bad value during integer read\n[Site Spr]\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nBACK [Site Spruce Mountain 1900-1990])~"},
        {169, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~",
         R"~(ABC01   1900   100   200   300   400   500   600   700   800   900  1000  xyz)~",
         R"~(OK\n[ABC01   ]\n1900\n100\n200\n300\n400\n500\n600\n700\n800\n900\n1000\nNEXT EOF)~"},
        {170, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~", R"~(ABC01   1990 -9999)~",
         R"~(OK\n[ABC01   ]\n1990\n-9999\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {171, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~", R"~(ABC01   19901234567)~",
         R"~(OK\n[ABC01   ]\n1990\n123456\n7\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {172, "fmtread", R"~((A7,I5,10I6))~", R"~(A7 I I*10)~", R"~(ABC01  -1234   100   200)~",
         R"~(OK\n[ABC01  ]\n-1234\n100\n200\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {173, "fmtread", R"~((A6,I6,10I6))~", R"~(A6 I I*10)~", R"~(ABC01 -12345   100)~",
         R"~(OK\n[ABC01 ]\n-12345\n100\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {174, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~", R"~(ABC01   -1000   100   200)~",
         R"~(OK\n[ABC01   ]\n-100\n10\n20\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {175, "fmtread", R"~((A8,I4,10I6))~", R"~(A8 I I*10)~", R"~(ABC01  -1234   100)~",
         R"~(OK\n[ABC01  -]\n1234\n100\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {176, "fmtread", R"~((A6,T7,I4,10(I4,I3)))~", R"~(A6 I I*20)~",
         R"~(ABC01 1650 998  11002  2 990  31005  41010  5 987  6 999  71000  81001  9 995 10)~",
         R"~(OK\n[ABC01 ]\n1650\n998\n1\n1002\n2\n990\n3\n1005\n4\n1010\n5\n987\n6\n999\n7\n1000\n8\n1001\n9\n995\n10\nNEXT EOF)~"},
        {177, "fmtread", R"~((A6,T7,I4,10(I4,I3)))~", R"~(A6 I I*20)~",
         R"~(ABC01 1655                                   1002  11003  21004  3)~",
         R"~(OK\n[ABC01 ]\n1655\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n1002\n1\n1003\n2\n1004\n3\n0\n0\n0\n0\nNEXT EOF)~"},
        {178, "fmtread", R"~((A6,T7,I4,10(I4,I3)))~", R"~(A6 I I*20)~",
         R"~(ABC01   1900   100   200   300   400   500   600   700   800   900  1000)~",
         R"~(OK\n[ABC01 ]\n19\n0\n10\n0\n200\n3\n0\n40\n0\n500\n0\n600\n7\n0\n80\n0\n900\n10\n0\n0\n0\nNEXT EOF)~"},
        {179, "fmtread", R"~((A5,T6,I5,10(I4,I3)))~", R"~(A5 I I*20)~", R"~(ABC01-1234 998  1)~",
         R"~(OK\n[ABC01]\n-1234\n998\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {180, "fmtread", R"~((A4,T5,I6,10(I4,I3)))~", R"~(A4 I I*20)~", R"~(ABC0-12345 998  1)~",
         R"~(OK\n[ABC0]\n-12345\n998\n1\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\n0\nNEXT EOF)~"},
        {181, "fmtread", R"~((A6,2I4))~", R"~(A6 I I)~", R"~(ABC00116551702)~",
         R"~(OK\n[ABC001]\n1655\n1702\nNEXT EOF)~"},
        {182, "fmtread", R"~((A6,2I4))~", R"~(A6 I I)~", R"~(ABC001-999-990)~",
         R"~(OK\n[ABC001]\n-999\n-990\nNEXT EOF)~"},
        {183, "fmtread", R"~((A6,2I4))~", R"~(A6 I I)~", R"~()~",
         R"~(OK\n[      ]\n0\n0\nNEXT EOF)~"},
        {184, "fmtread", R"~((A6,2I4))~", R"~(A6 I I)~", R"~(Mount Example, spruce)~",
         R"~(ERR iostat=5010 Bad value during integer read\n[Mount ]\nunset\nunset\nBACK [Mount Example, spruce])~"},
        {185, "fmtread", R"~(((10X,10(F4.2,I3))))~", R"~((R I)*25)~",
         R"~(ABC0011650  98  1 100  21.50  3  -1  4                                         \nABC0011660   1 10   2 11   3 12   4 13   5 14   6 15   7 16   8 17   9 18  10 19\nABC0011670  11  1  12  2  13  3  14  4  15  5  16  6  17  7  18  8  19  9  20 10\nNEXT0116551702)~",
         R"~(OK\n9.80000019E-01\n1\n1.00000000E+00\n2\n1.50000000E+00\n3\n-9.99999978E-03\n4\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n9.99999978E-03\n10\n1.99999996E-02\n11\n2.99999993E-02\n12\n3.99999991E-02\n13\n5.00000007E-02\n14\n5.99999987E-02\n15\n7.00000003E-02\n16\n7.99999982E-02\n17\n9.00000036E-02\n18\n1.00000001E-01\n19\n1.09999999E-01\n1\n1.19999997E-01\n2\n1.29999995E-01\n3\n1.40000001E-01\n4\n1.50000006E-01\n5\nNEXT [NEXT0116551702])~"},
        {186, "fmtread", R"~(((10X,10(F4.2,I3))))~", R"~((R I)*6)~",
         R"~(ABC0011650  98  1 9 8  2 -98  3 .98  4 9.8  598    6)~",
         R"~(OK\n9.80000019E-01\n1\n9.80000019E-01\n2\n-9.80000019E-01\n3\n9.80000019E-01\n4\n9.80000019E+00\n5\n9.80000019E-01\n6\nNEXT EOF)~"},
        {187, "fmtread", R"~(((10X,10(F4.2,I3))))~", R"~((R I)*12)~",
         R"~(ABC0011650  98  1\nABC0011660 100  2)~",
         R"~(OK\n9.80000019E-01\n1\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n1.00000000E+00\n2\n0.00000000E+00\n0\nNEXT EOF)~"},
        {188, "fmtread", R"~(((10X,10(F4.2,I3))))~", R"~((R I)*12)~",
         R"~(ABC0011650  98  1 100  2 1.5  3  -1  4 100  5 100  6 100  7 100  8 100  9 100 10\nABC0011660 10x  1\nNEXT)~",
         R"~(ERR iostat=5010 Bad value during floating point read\n9.80000019E-01\n1\n1.00000000E+00\n2\n1.50000000E+00\n3\n-9.99999978E-03\n4\n1.00000000E+00\n5\n1.00000000E+00\n6\n1.00000000E+00\n7\n1.00000000E+00\n8\n1.00000000E+00\n9\n1.00000000E+00\n10\nunset\nunset\nunset\nunset\nBACK [ABC0011660 10x  1])~"},
        {189, "fmtread", R"~(((10X,10(F4.2,I3))))~", R"~((R I)*25)~",
         R"~(ABC0011650  98  1\nABC0011660 100  2)~",
         R"~(EOF iostat=-1 End of file\n9.80000019E-01\n1\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n1.00000000E+00\n2\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nunset\nBACK EOF)~"},
        {190, "fmtread", R"~((10X,10(F4.2,I3)))~", R"~((R I)*12)~",
         R"~(ABC0011650  98  1\nABC0011660 100  2)~",
         R"~(ERR iostat=5010 Bad value during floating point read\n9.80000019E-01\n1\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\n0.00000000E+00\n0\nunset\nunset\nunset\nunset\nBACK [ABC0011660 100  2])~"},
        {191, "fmtread", R"~((A80))~", R"~(A80)~", R"~(short line)~",
         R"~(OK\n[short line                                                                      ]\nNEXT EOF)~"},
        {192, "fmtread", R"~((A80))~", R"~(A80)~",
         R"~(12345678901234567890123456789012345678901234567890123456789012345678901234567890EXTRA)~",
         R"~(OK\n[12345678901234567890123456789012345678901234567890123456789012345678901234567890]\nNEXT EOF)~"},
        {193, "fmtread", R"~((A))~", R"~(A80)~",
         R"~(12345678901234567890123456789012345678901234567890123456789012345678901234567890EXTRA)~",
         R"~(OK\n[12345678901234567890123456789012345678901234567890123456789012345678901234567890]\nNEXT EOF)~"},
        {194, "fmtread", R"~((A))~", R"~(A8)~", R"~(ABCDEFGHIJKL)~",
         R"~(OK\n[ABCDEFGH]\nNEXT EOF)~"},
        {195, "fmtread", R"~((A))~", R"~(A80)~", R"~()~",
         R"~(OK\n[                                                                                ]\nNEXT EOF)~"},
        {196, "fmtread", R"~((A80))~", R"~(A80)~", R"~(<EOF>)~",
         R"~(EOF iostat=-1 End of file\nunset\nBACK EOF)~"},
        {197, "fmtread", R"~((A))~", R"~(A10)~", R"~(abc  )~", R"~(OK\n[abc       ]\nNEXT EOF)~"},
        {198, "fmtread", R"~((A))~", R"~(A10)~", R"~(abc\r)~", R"~(OK\n[abc       ]\nNEXT EOF)~"},
        {199, "fmtread", R"~((A10))~", R"~(A8)~", R"~(ABCDEFGHIJKL)~",
         R"~(OK\n[CDEFGHIJ]\nNEXT EOF)~"},
        {200, "fmtread", R"~((A4))~", R"~(A8)~", R"~(ABCDEFGHIJKL)~",
         R"~(OK\n[ABCD    ]\nNEXT EOF)~"},
        {201, "fmtread", R"~((A8))~", R"~(A8)~", R"~(abc)~", R"~(OK\n[abc     ]\nNEXT EOF)~"},
        {202, "fmtread", R"~((A))~", R"~(A8 @INT=4)~", R"~(abcdef)~", R"~(OK\n[abcd    ])~"},
        {203, "fmtread", R"~((2A,2I8,$))~", R"~(A1 A8 I I)~", R"~(|ABC01          5    1900)~",
         R"~(OK\n[|]\n[ABC01   ]\n5\n1900\nNEXT [])~"},
        {204, "fmtread", R"~((2A,2I8,$))~", R"~(A1 A8 I I @THEN=4)~",
         R"~(|ABC01          5    1900  1.5 2.5\n3.5\n4.5\nLAST)~",
         R"~(OK\n[|]\n[ABC01   ]\n5\n1900\nTHEN OK\n1.50000000E+00\n2.50000000E+00\n3.50000000E+00\n4.50000000E+00\nNEXT [LAST])~"},
        {205, "fmtread", R"~((2A,2I8))~", R"~(A1 A8 I I @THEN=3)~",
         R"~(|ABC01          3    1900  9.9\n1.5 2.5\n3.5\nLAST)~",
         R"~(OK\n[|]\n[ABC01   ]\n3\n1900\nTHEN OK\n1.50000000E+00\n2.50000000E+00\n3.50000000E+00\nNEXT [LAST])~"},
        {206, "fmtread", R"~((2A,2I8,$))~", R"~(A1 A8 I I @THEN=3)~",
         R"~(|ABC01          3    1900\n1.5,2.5\n3.5\nLAST)~",
         R"~(OK\n[|]\n[ABC01   ]\n3\n1900\nTHEN OK\n1.50000000E+00\n2.50000000E+00\n3.50000000E+00\nNEXT [LAST])~"},
        {207, "fmtread", R"~((A8,T5,I4))~", R"~(A8 I)~", R"~(ABCD1234)~",
         R"~(OK\n[ABCD1234]\n1234\nNEXT EOF)~"},
        {208, "fmtread", R"~((I4,T1,A8))~", R"~(I A8)~", R"~(1234)~",
         R"~(OK\n1234\n[1234    ]\nNEXT EOF)~"},
        {209, "fmtread", R"~((T5,I2,T1,I2))~", R"~(I I)~", R"~(1234567)~",
         R"~(OK\n56\n12\nNEXT EOF)~"},
        {210, "fmtread", R"~((10X,I4))~", R"~(I)~", R"~(abc)~", R"~(OK\n0\nNEXT EOF)~"},
        {211, "fmtread", R"~((T90,I4))~", R"~(I)~", R"~(abc)~", R"~(OK\n0\nNEXT EOF)~"},
        {212, "fmtread", R"~((I4/I4))~", R"~(I I)~", R"~(   1\n   2\n   3)~",
         R"~(OK\n1\n2\nNEXT [   3])~"},
        {213, "fmtread", R"~((I4/I4))~", R"~(I I)~", R"~(   1)~",
         R"~(EOF iostat=-1 End of file\n1\nunset\nBACK EOF)~"},
        {214, "fmtread", R"~((I4,/))~", R"~(I)~", R"~(   1\n   2\n   3)~",
         R"~(OK\n1\nNEXT [   3])~"},
        {215, "fmtread", R"~((/I4))~", R"~(I)~", R"~(   1\n   2\n   3)~",
         R"~(OK\n2\nNEXT [   3])~"},
        {216, "fmtread", R"~((I1,2(I2)))~", R"~(I*7)~", R"~(12233\n4455\n6677)~",
         R"~(OK\n1\n22\n33\n44\n55\n66\n77\nNEXT EOF)~"},
        {217, "fmtread", R"~((2I3))~", R"~(I*5)~", R"~(  1  2  3\n  4  5\n  6)~",
         R"~(OK\n1\n2\n4\n5\n6\nNEXT EOF)~"},
        {218, "fmtread", R"~((I3,2(1X,I2)))~", R"~(I*5)~", R"~(  1 22 33\n 44 55)~",
         R"~(OK\n1\n22\n33\n44\n55\nNEXT EOF)~"},
        {219, "fmtread", R"~((A6,T7,I4,10(I4,I3)))~", R"~(A6 I I*22)~",
         R"~(ABC01 1650 998  11002  2 990  31005  41010  5 987  6 999  71000  81001  9 995 10\nABC01 1660   1  2   3  4)~",
         R"~(ERR iostat=5010 Bad value during integer read\n[ABC01 ]\n1650\n998\n1\n1002\n2\n990\n3\n1005\n4\n1010\n5\n987\n6\n999\n7\n1000\n8\n1001\n9\n995\n10\nunset\nunset\nBACK [ABC01 1660   1  2   3  4])~"},
        {220, "listread", R"~(*)~", R"~(I)~", R"~()~", R"~(EOF iostat=-1 End of file\nunset)~"},
        {221, "listread", R"~(*)~", R"~(I)~", R"~(   )~", R"~(EOF iostat=-1 End of file\nunset)~"},
        {222, "listread", R"~(*)~", R"~(I)~", R"~(12)~", R"~(OK\n12)~"},
        {223, "listread", R"~(*)~", R"~(I)~", R"~( 12 )~", R"~(OK\n12)~"},
        {224, "listread", R"~(*)~", R"~(I)~", R"~(12,)~", R"~(OK\n12)~"},
        {225, "listread", R"~(*)~", R"~(I)~", R"~(1 2)~", R"~(OK\n1)~"},
        {226, "listread", R"~(*)~", R"~(I)~", R"~(12abc)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {227, "listread", R"~(*)~", R"~(I)~", R"~(+7)~", R"~(OK\n7)~"},
        {228, "listread", R"~(*)~", R"~(I)~", R"~(-0)~", R"~(OK\n0)~"},
        {229, "listread", R"~(*)~", R"~(I)~", R"~(3.5)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {230, "listread", R"~(*)~", R"~(I)~", R"~(1e3)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {231, "listread", R"~(*)~", R"~(I)~", R"~(1.5d2)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {232, "listread", R"~(*)~", R"~(I)~", R"~(/)~", R"~(OK\nunset)~"},
        {233, "listread", R"~(*)~", R"~(I)~", R"~(3*4)~", R"~(OK\n4)~"},
        {234, "listread", R"~(*)~", R"~(I)~", R"~(,5)~", R"~(OK\nunset)~"},
        {235, "listread", R"~(*)~", R"~(R)~", R"~()~", R"~(EOF iostat=-1 End of file\nunset)~"},
        {236, "listread", R"~(*)~", R"~(R)~", R"~(   )~", R"~(EOF iostat=-1 End of file\nunset)~"},
        {237, "listread", R"~(*)~", R"~(R)~", R"~(12)~", R"~(OK\n1.20000000E+01)~"},
        {238, "listread", R"~(*)~", R"~(R)~", R"~( 12 )~", R"~(OK\n1.20000000E+01)~"},
        {239, "listread", R"~(*)~", R"~(R)~", R"~(12,)~", R"~(OK\n1.20000000E+01)~"},
        {240, "listread", R"~(*)~", R"~(R)~", R"~(1 2)~", R"~(OK\n1.00000000E+00)~"},
        {241, "listread", R"~(*)~", R"~(R)~", R"~(12abc)~",
         R"~(ERR iostat=5010 Bad real number in item 1 of list input\nunset)~"},
        {242, "listread", R"~(*)~", R"~(R)~", R"~(+7)~", R"~(OK\n7.00000000E+00)~"},
        {243, "listread", R"~(*)~", R"~(R)~", R"~(-0)~", R"~(OK\n-0.00000000E+00)~"},
        {244, "listread", R"~(*)~", R"~(R)~", R"~(3.5)~", R"~(OK\n3.50000000E+00)~"},
        {245, "listread", R"~(*)~", R"~(R)~", R"~(1e3)~", R"~(OK\n1.00000000E+03)~"},
        {246, "listread", R"~(*)~", R"~(R)~", R"~(1.5d2)~", R"~(OK\n1.50000000E+02)~"},
        {247, "listread", R"~(*)~", R"~(R)~", R"~(/)~", R"~(OK\nunset)~"},
        {248, "listread", R"~(*)~", R"~(R)~", R"~(3*4)~", R"~(OK\n4.00000000E+00)~"},
        {249, "listread", R"~(*)~", R"~(R)~", R"~(,5)~", R"~(OK\nunset)~"},
        {250, "listread", R"~(*)~", R"~(I)~", R"~(y)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {251, "listread", R"~(*)~", R"~(I)~", R"~(12 abc)~", R"~(OK\n12)~"},
        {252, "listread", R"~(*)~", R"~(I)~", R"~(\t12)~", R"~(OK\n12)~"},
        {253, "listread", R"~(*)~", R"~(I)~", R"~(-)~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {254, "listread", R"~(*)~", R"~(I)~", R"~(2147483648)~",
         R"~(ERR iostat=5010 Integer overflow while reading item 1\nunset)~"},
        {255, "listread", R"~(*)~", R"~(I)~", R"~(-2147483648)~", R"~(OK\n-2147483648)~"},
        {256, "listread", R"~(*)~", R"~(I INT=10)~", R"~(12345678901)~", R"~(OK\n1234567890)~"},
        {257, "listread", R"~(*)~", R"~(I INT=10)~", R"~(99999999999)~",
         R"~(ERR iostat=5010 Integer overflow while reading item 1\nunset)~"},
        {258, "listread", R"~(*)~", R"~(I)~", R"~(12;)~", R"~(OK\n12)~"},
        {259, "listread", R"~(*)~", R"~(I)~", R"~(1/2)~", R"~(OK\n1)~"},
        {260, "listread", R"~(*)~", R"~(I)~", R"~('12')~",
         R"~(ERR iostat=5010 Bad integer for item 1 in list input\nunset)~"},
        {261, "listread", R"~(*)~", R"~(I*2)~", R"~(1,,3)~", R"~(OK\n1\nunset)~"},
        {262, "listread", R"~(*)~", R"~(I*3)~", R"~(3*4)~", R"~(OK\n4\n4\n4)~"},
        {263, "listread", R"~(*)~", R"~(I*2)~", R"~(,5)~", R"~(OK\nunset\n5)~"},
        {264, "listread", R"~(*)~", R"~(I*2)~", R"~(12 /)~", R"~(OK\n12\nunset)~"},
        {265, "listread", R"~(*)~", R"~(I*2)~", R"~(2*)~", R"~(OK\nunset\nunset)~"},
        {266, "listread", R"~(*)~", R"~(I EXT)~", R"~(\n12)~", R"~(OK\n12\nNEXT EOF)~"},
        {267, "listread", R"~(*)~", R"~(I EXT)~", R"~()~",
         R"~(EOF iostat=-1 End of file\nunset\nNEXT ERR iostat=5001)~"},
        {268, "listread", R"~(*)~", R"~(I EXT)~", R"~(1\n2)~", R"~(OK\n1\nNEXT [2])~"},
        {269, "listread", R"~(*)~", R"~(R)~", R"~(98)~", R"~(OK\n9.80000000E+01)~"},
        {270, "listread", R"~(*)~", R"~(R)~", R"~(.5)~", R"~(OK\n5.00000000E-01)~"},
        {271, "listread", R"~(*)~", R"~(R)~", R"~(5.)~", R"~(OK\n5.00000000E+00)~"},
        {272, "listread", R"~(*)~", R"~(R)~", R"~(.)~",
         R"~(ERR iostat=5010 Error during floating point read\n0.00000000E+00)~"},
        {273, "listread", R"~(*)~", R"~(R)~", R"~(-)~",
         R"~(ERR iostat=5010 Bad real number in item 1 of list input\nunset)~"},
        {274, "listread", R"~(*)~", R"~(R)~", R"~(1.5+2)~", R"~(OK\n1.50000000E+02)~"},
        {275, "listread", R"~(*)~", R"~(R)~", R"~(1.5E)~",
         R"~(ERR iostat=5010 Bad real number in item 1 of list input\nunset)~"},
        {276, "listread", R"~(*)~", R"~(R)~", R"~(1e39)~", R"~(OK\nInfinity)~"},
        {277, "listread", R"~(*)~", R"~(R)~", R"~(Inf)~", R"~(OK\nInfinity)~"},
        {278, "listread", R"~(*)~", R"~(R)~", R"~(1,5)~", R"~(OK\n1.00000000E+00)~"},
        {279, "listread", R"~(*)~", R"~(R*2)~", R"~(1 2)~",
         R"~(OK\n1.00000000E+00\n2.00000000E+00)~"},
        {280, "fmtwrite", R"~((A8,I4,10I6))~",
         R"~(A8=ABC01 I=1900,100,200,300,400,500,600,700,800,900,1000)~", R"~(-)~",
         R"~(OK\n|ABC01   1900   100   200   300   400   500   600   700   800   900  1000|)~"},
        {281, "fmtwrite", R"~((A8,I4,10I6,T75,A))~",
         R"~(A8=ABC01 I=1900,100,200,300,400,500,600,700,800,900,1000 A='   ')~", R"~(-)~",
         R"~(OK\n|ABC01   1900   100   200   300   400   500   600   700   800   900  1000     |)~"},
        {282, "fmtwrite", R"~((A8,I4,10I6))~", R"~(A8=ABC01 I=1905,123,456,-9999)~", R"~(-)~",
         R"~(OK\n|ABC01   1905   123   456 -9999|)~"},
        {283, "fmtwrite", R"~((A7,I5,10I6))~", R"~(A7=ABC01 I=-1234,100)~", R"~(-)~",
         R"~(OK\n|ABC01  -1234   100|)~"},
        {284, "fmtwrite", R"~((A6,I6,10I6))~", R"~(A6=ABCDEFGH I=-12345,100)~", R"~(-)~",
         R"~(OK\n|ABCDEF-12345   100|)~"},
        {285, "fmtwrite", R"~((A8,I4,10I6))~", R"~(A8=ABC01 I=-1000,1000000)~", R"~(-)~",
         R"~(OK\n|ABC01   **********|)~"},
        {286, "fmtwrite", R"~((I6))~", R"~(I=-99999,999999,-100000,0)~", R"~(-)~",
         R"~(OK\n|-99999|\n|999999|\n|******|\n|     0|)~"},
        {287, "fmtwrite", R"~((A6,I4,10(I4,I3),2X,A))~",
         R"~(A6=ABC01 I=1650,998,1,1002,2,990,3,1005,4,1010,5,987,6,999,7,1000,8,9990,0,9990,0 A='   ')~",
         R"~(-)~",
         R"~(OK\n|ABC01 1650 998  11002  2 990  31005  41010  5 987  6 999  71000  89990  09990  0     |)~"},
        {288, "fmtwrite", R"~((A5,I5,10(I4,I3),2X,A))~", R"~(A5=ABC01 I=-1234,998,1)~", R"~(-)~",
         R"~(OK\n|ABC01-1234 998  1|)~"},
        {289, "fmtwrite", R"~((A5,I5,10(I4,I3),2X,A))~", R"~(A5=ABC01 I=-1234,998,1 A='   ')~",
         R"~(-)~",
         R"~(ERR iostat=5006 Expected INTEGER for item 5 in formatted transfer, got CHARACTER\n(A5,I5,10(I4,I3),2X,A)\n          ^\n<empty file>)~"},
        {290, "fmtwrite", R"~((A6,2I4))~", R"~(A6=ABC001 I=1655,1702)~", R"~(-)~",
         R"~(OK\n|ABC00116551702|)~"},
        {291, "fmtwrite", R"~((A6,2I4))~", R"~(A6=ABC001 I=-999,-1000)~", R"~(-)~",
         R"~(OK\n|ABC001-999****|)~"},
        {292, "fmtwrite", R"~((A6,2I5))~", R"~(A6=ABC001 I=-1000,-990)~", R"~(-)~",
         R"~(OK\n|ABC001-1000 -990|)~"},
        {293, "fmtwrite", R"~((I8,'=N',I8,'=I ',A,T69,I3,A,'~',1X,A))~",
         R"~(I=5,1900 A=ABC01 I=-2 A='(26F3.0)' A=XYZ)~", R"~(-)~",
         R"~(OK\n|       5=N    1900=I ABC01                                           -2(26F3.0)~ XYZ|)~"},
        {294, "fmtwrite", R"~((I8,'=N',I8,'=I ',A,T69,I3,A,'~',1X,A))~",
         R"~(I=5,1900 A='A-name-of-fifty-characters-that-runs-past-column-68' I=-2 A='(26F3.0)' A=XYZ)~",
         R"~(-)~",
         R"~(OK\n|       5=N    1900=I A-name-of-fifty-characters-that-runs-past-colum -2(26F3.0)~ XYZ|)~"},
        {295, "fmtwrite", R"~(('(',I2,'F',I1,'.0)'))~", R"~(I=13,6 @INT=8,1)~", R"~(-)~",
         R"~(OK\n|(13F6.0)|)~"},
        {296, "fmtwrite", R"~(('(',I2,'F',I1,'.0)'))~", R"~(I=80,1 @INT=8,1)~", R"~(-)~",
         R"~(OK\n|(80F1.0)|)~"},
        {297, "fmtwrite", R"~(('(',I2,'I',I1,')  '))~", R"~(I=26,3 @INT=8,1)~", R"~(-)~",
         R"~(OK\n|(26I3)  |)~"},
        {298, "fmtwrite", R"~((13I6))~", R"~(I=1:15)~", R"~(-)~",
         R"~(OK\n|     1     2     3     4     5     6     7     8     9    10    11    12    13|\n|    14    15|)~"},
        {299, "fmtwrite", R"~((26I3))~", R"~(I=12,150,203,90,110,1000,-99,-100)~", R"~(-)~",
         R"~(OK\n| 12150203 90110***-99***|)~"},
        {300, "fmtwrite", R"~((80I1))~",
         R"~(I=1:9,0,1:9,0,1:9,0,1:9,0,1:9,0,1:9,0,1:9,0,1:9,0,1,2)~", R"~(-)~",
         R"~(OK\n|12345678901234567890123456789012345678901234567890123456789012345678901234567890|\n|12|)~"},
        {301, "fmtwrite", R"~((1X,10I4))~", R"~(I=1:25)~", R"~(-)~",
         R"~(OK\n|    1   2   3   4   5   6   7   8   9  10|\n|   11  12  13  14  15  16  17  18  19  20|\n|   21  22  23  24  25|)~"},
        {302, "fmtwrite", R"~((I3,'=N',I3,'=I'))~", R"~(I=5)~", R"~(-)~", R"~(OK\n|  5=N|)~"},
        {303, "fmtwrite", R"~((2(I3,'x')))~", R"~(I=1,2,3)~", R"~(-)~",
         R"~(OK\n|  1x  2x|\n|  3x|)~"},
        {304, "fmtwrite", R"~((F6.0))~", R"~(R=12,0,-0.4,0.5,1.5,2.5,-0.5,1e10,-99999)~", R"~(-)~",
         R"~(OK\n|   12.|\n|    0.|\n|   -0.|\n|    0.|\n|    2.|\n|    2.|\n|   -0.|\n|******|\n|******|)~"},
        {305, "fmtwrite", R"~((F8.3))~",
         R"~(R=0.0005,0.0015,0.125,-1.5,1.0005,0.98,-0.0001,12345.678)~", R"~(-)~",
         R"~(OK\n|   0.001|\n|   0.002|\n|   0.125|\n|  -1.500|\n|   1.000|\n|   0.980|\n|  -0.000|\n|********|)~"},
        {306, "fmtwrite", R"~((F5.2))~", R"~(R=0.125,0.375,-0.125,0.005,9.995)~", R"~(-)~",
         R"~(OK\n| 0.12|\n| 0.38|\n|-0.12|\n| 0.00|\n| 9.99|)~"},
        {307, "fmtwrite", R"~((F3.2))~", R"~(R=0.5,-0.5,1.0)~", R"~(-)~",
         R"~(OK\n|.50|\n|***|\n|***|)~"},
        {308, "fmtwrite", R"~((F4.1))~", R"~(R=0.25,0.35,-0.05,0.05)~", R"~(-)~",
         R"~(OK\n| 0.2|\n| 0.3|\n|-0.1|\n| 0.1|)~"},
        {309, "fmtwrite", R"~((F8.3))~", R"~(R=NaN,Inf,-Inf)~", R"~(-)~",
         R"~(OK\n|     NaN|\n|Infinity|\n|    -Inf|)~"},
        {310, "fmtwrite", R"~((A,3X))~", R"~(A=ab)~", R"~(-)~", R"~(OK\n|ab|)~"},
        {311, "fmtwrite", R"~((A,T10))~", R"~(A=ab)~", R"~(-)~", R"~(OK\n|ab|)~"},
        {312, "fmtwrite", R"~((A,3X,A))~", R"~(A=ab A='')~", R"~(-)~", R"~(OK\n|ab   |)~"},
        {313, "fmtwrite", R"~((3X))~", R"~()~", R"~(-)~", R"~(OK\n||)~"},
        {314, "fmtwrite", R"~(())~", R"~()~", R"~(-)~", R"~(OK\n||)~"},
        {315, "fmtwrite", R"~((T5,A,T1,A))~", R"~(A=XYZ A=ab)~", R"~(-)~", R"~(OK\n|ab  XYZ|)~"},
        {316, "fmtwrite", R"~((A,T3,A))~", R"~(A=abcdef A=XY)~", R"~(-)~", R"~(OK\n|abXYef|)~"},
        {317, "fmtwrite", R"~((A4))~", R"~(A=ABCDEFGH)~", R"~(-)~", R"~(OK\n|ABCD|)~"},
        {318, "fmtwrite", R"~((A10))~", R"~(A=ABC)~", R"~(-)~", R"~(OK\n|       ABC|)~"},
        {319, "fmtwrite", R"~((A))~", R"~(A='abc   ')~", R"~(-)~", R"~(OK\n|abc   |)~"},
        {320, "fmtwrite", R"~((1X,A))~", R"~(A=line)~", R"~(-)~", R"~(OK\n| line|)~"},
        {321, "fmtwrite", R"~((/1X,A))~", R"~(A=hello)~", R"~(-)~", R"~(OK\n||\n| hello|)~"},
        {322, "fmtwrite", R"~((/1X,'Title of data:'/1X,A))~", R"~(A=line)~", R"~(-)~",
         R"~(OK\n||\n| Title of data:|\n| line|)~"},
        {323, "fmtwrite", R"~((/T10,'Title of data:  ',A/))~", R"~(A=line)~", R"~(-)~",
         R"~(OK\n||\n|         Title of data:  line|\n||)~"},
        {324, "fmtwrite", R"~((/1X,' *** TOO MANY READ ERRORS IN RINFRN'))~", R"~()~", R"~(-)~",
         R"~(OK\n||\n|  *** TOO MANY READ ERRORS IN RINFRN|)~"},
        {325, "fmtwrite", R"~((1X,'Line: ',A))~", R"~(A=abc)~", R"~(-)~", R"~(OK\n| Line: abc|)~"},
        {326, "fmtwrite", R"~((/,1X,I6,' series from',I7,' to',I7,I8,' years'))~",
         R"~(I=3,1650,1990,341)~", R"~(-)~",
         R"~(OK\n||\n|      3 series from   1650 to   1990     341 years|)~"},
        {327, "fmtwrite", R"~((1X,I5,2X,A,3I7))~", R"~(I=1 A8=ABC01 I=1650,1990,341)~", R"~(-)~",
         R"~(OK\n|     1  ABC01      1650   1990    341|)~"},
        {328, "fmtwrite", R"~((1X,'Sequence number (<RET> to DO WHATEVER)',T45,'==> ',$))~",
         R"~()~", R"~(-)~",
         R"~(OK\n| Sequence number (<RET> to DO WHATEVER)     ==> |<no newline>)~"},
        {329, "fmtwrite", R"~((1X,'Seq',T45,'==> ',$))~", R"~(@TIMES=2)~", R"~(-)~",
         R"~(OK\n| Seq                                        ==>  Seq                                        ==> |<no newline>)~"},
        {330, "fmtwrite", R"~((1X,'Seq',T45,'==> '))~", R"~(@NOADV)~", R"~(-)~",
         R"~(OK\n| Seq                                        ==> |)~"},
        {331, "fmtwrite", R"~((1X,'Seq',T45,'==> '))~", R"~(@NOADV @TIMES=2)~", R"~(-)~",
         R"~(OK\n| Seq                                        ==>  Seq                                        ==> |)~"},
        {332, "fmtwrite", R"~((//1X,'FILE NAME TO EXAMINE (/ TO EXIT)',T45,'==> ',$))~",
         R"~(@TIMES=2)~", R"~(-)~",
         R"~(OK\n||\n||\n| FILE NAME TO EXAMINE (/ TO EXIT)           ==> |\n||\n| FILE NAME TO EXAMINE (/ TO EXIT)           ==> |<no newline>)~"},
        {333, "fmtwrite", R"~((I3,$))~", R"~(I=1,2,3)~", R"~(-)~",
         R"~(OK\n|  1  2  3|<no newline>)~"},
        {334, "fmtwrite", R"~((2A,2I8,$))~", R"~(A=| A8=ABC01 I=5,1900)~", R"~(-)~",
         R"~(OK\n||ABC01          5    1900|<no newline>)~"},
        {335, "fmtwrite", R"~((I4))~", R"~(I=12 @INT=10,2)~", R"~(-)~",
         R"~(OK\n|  12      |\n|~~~~~~~~~~|)~"},
        {336, "fmtwrite", R"~((I3/I3))~", R"~(I=1,2 @INT=5,3)~", R"~(-)~",
         R"~(OK\n|  1  |\n|  2  |\n|~~~~~|)~"},
};

// Cases whose gfortran result this layer does not reproduce on purpose:
// 7, 137, 189, 196, 213: after an end of file one step back returns to the last record
//   (gfortran: end of file again); only the BACK line differs.
// 203, 204, 206: "$" on a read does not keep the record open; a read always finishes
//   its record.
bool skipped(int id) {
  static const int kSkip[] = {203, 204, 206};
  for (int s : kSkip)
    if (s == id) return true;
  return false;
}

std::string unescape(std::string_view s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      char c = s[++i];
      r += c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    } else {
      r += s[i];
    }
  }
  return r;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> v;
  size_t a = 0;
  for (;;) {
    size_t b = s.find(sep, a);
    v.push_back(s.substr(a, b == std::string::npos ? std::string::npos : b - a));
    if (b == std::string::npos) return v;
    a = b + 1;
  }
}

// ---------------------------------------------------------------- reads

struct Item {
  char type;  // 'I', 'R', 'A'
  int32_t i = -777777777;
  float r = -7.777E-33f;
  std::string a;
};

constexpr int32_t kUnsetI = -777777777;
constexpr float kUnsetR = -7.777E-33f;

// Item items_text: R, I, An, x*n, "x n", ( ... )*n; options @INT=n and @THEN=n.
void parse_spec(const std::string& items_text, std::vector<Item>& items, int& internal, int& then) {
  std::vector<std::string> toks;
  for (const std::string& t : split(items_text, ' '))
    if (!t.empty()) toks.push_back(t);
  std::vector<Item> group;
  bool in_group = false;
  std::vector<Item>* last = nullptr;
  std::vector<Item> single;
  auto repeat = [&](std::vector<Item>& what, int n) {
    std::vector<Item> copy = what;
    for (int k = 1; k < n; ++k) items.insert(items.end(), copy.begin(), copy.end());
  };
  for (size_t k = 0; k < toks.size(); ++k) {
    std::string t = toks[k];
    if (t.rfind("@INT=", 0) == 0) {
      internal = std::stoi(t.substr(5));
      continue;
    }
    if (t.rfind("@THEN=", 0) == 0) {
      then = std::stoi(t.substr(6));
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(t[0]))) {  // "x n"
      single = *last;
      repeat(single, std::stoi(t));
      continue;
    }
    if (t[0] == '(') {
      in_group = true;
      group.clear();
      t = t.substr(1);
    }
    int times = 1;
    bool close = false;
    size_t star = t.find('*');
    if (star != std::string::npos) {
      times = std::stoi(t.substr(star + 1));
      t = t.substr(0, star);
    }
    if (!t.empty() && t.back() == ')') {
      close = true;
      t.pop_back();
    }
    Item it;
    it.type = t[0];
    if (it.type == 'A') it.a.assign(std::stoi(t.substr(1)), '~');
    if (in_group) {
      group.push_back(it);
      if (close) {
        in_group = false;
        items.insert(items.end(), group.begin(), group.end());
        repeat(group, times);
        last = &group;
      }
    } else {
      items.push_back(it);
      single = {it};
      repeat(single, times);
      last = &single;
    }
  }
}

std::string show(const Item& it) {
  char buf[64];
  switch (it.type) {
    case 'I':
      return it.i == kUnsetI ? "unset" : std::to_string(it.i);
    case 'R':
      if (std::memcmp(&it.r, &kUnsetR, sizeof(float)) == 0) return "unset";
      if (std::isnan(it.r)) return "NaN";
      if (std::isinf(it.r)) return it.r > 0 ? "Infinity" : "-Infinity";
      std::snprintf(buf, sizeof buf, "%.8E", static_cast<double>(it.r));
      return buf;
    default:
      return it.a == std::string(it.a.size(), '~') && !it.a.empty() ? "unset" : "[" + it.a + "]";
  }
}

std::string status(Outcome o) {
  return o == Outcome::ok ? "OK" : o == Outcome::eof ? "EOF" : "ERR";
}

std::string show_real(float r) {
  Item it;
  it.type = 'R';
  it.r = r;
  return show(it);
}

void run_fmtread(const Case& c) {
  std::vector<Item> items;
  int internal = 0, then = 0;
  parse_spec(c.items_text, items, internal, then);
  std::vector<In> ins;
  for (Item& it : items) {
    if (it.type == 'I')
      ins.emplace_back(it.i);
    else if (it.type == 'R')
      ins.emplace_back(it.r);
    else
      ins.emplace_back(it.a);
  }
  std::vector<std::string> expect = split(unescape(c.result), '\n');
  std::string st = expect[0].substr(0, expect[0].find(' '));
  std::optional<Layout> layout = Layout::compile(c.layout);
  std::vector<std::string> got;
  Outcome o = Outcome::error;
  std::string records = unescape(c.records);
  testing_support::MemoryFileSystem fs;
  recio::Units units(fs);
  if (internal > 0) {
    std::string rec = records;
    rec.resize(internal, ' ');
    if (layout) o = recio::read(*layout, rec, ins);
  } else {
    fs.files["data"] = std::string(c.records) == "<EOF>" ? "" : records + "\n";
    ASSERT_TRUE(units.open(10, "data", recio::Status::old));
    if (layout) {
      o = recio::read(*layout, units.source(10), ins);
    } else {
      std::string skip;
      units.read_line(10, skip);  // gfortran reads the record before it sees the error
    }
  }
  EXPECT_EQ(status(o), st) << "case " << c.id << " " << c.layout;
  // Item lines stand just before THEN / NEXT / BACK, or at the end.
  size_t end = expect.size();
  size_t then_at = end;
  for (size_t k = 0; k < expect.size(); ++k)
    if (expect[k].rfind("THEN ", 0) == 0) then_at = k;
  if (internal == 0) end = then_at < expect.size() ? then_at : expect.size() - 1;
  ASSERT_GE(end, items.size() + 1) << "case " << c.id;
  for (size_t k = 0; k < items.size(); ++k)
    EXPECT_EQ(show(items[k]), expect[end - items.size() + k])
        << "case " << c.id << " item " << k + 1;
  if (internal > 0) return;
  size_t next_line = expect.size() - 1;
  if (then > 0) {
    std::vector<float> vals(then, kUnsetR);
    Outcome t = recio::read_free_reals(units.source(10), vals);
    EXPECT_EQ("THEN " + status(t), expect[then_at]) << "case " << c.id;
    for (int k = 0; k < then; ++k)
      EXPECT_EQ(show_real(vals[k]), expect[then_at + 1 + k])
          << "case " << c.id << " then " << k + 1;
  }
  const std::string& pos = expect[next_line];
  if (pos == "BACK EOF") return;  // see skipped()
  std::string rec;
  if (o != Outcome::ok) units.backspace(10);
  Outcome r = units.read_line(10, rec);
  while (!rec.empty() && rec.back() == ' ') rec.pop_back();
  std::string shown =
      (o == Outcome::ok ? "NEXT " : "BACK ") + (r == Outcome::ok ? "[" + rec + "]" : "EOF");
  EXPECT_EQ(shown, pos) << "case " << c.id;
}

// ---------------------------------------------------------------- writes

// Items: I=v,v,a:b  R=v,v  A='text' | A=text  An='text'; options @TIMES=k @NOADV @INT=.
bool parse_out_items(const std::string& items_text, std::vector<std::string>& texts,
                     std::vector<Out>& items, int& times) {
  std::vector<std::pair<char, std::string>> raw;  // kind, value (texts kept in `texts`)
  size_t i = 0;
  texts.reserve(64);
  while (i < items_text.size()) {
    if (items_text[i] == ' ') {
      ++i;
      continue;
    }
    if (items_text.compare(i, 7, "@TIMES=") == 0) {
      size_t e = items_text.find(' ', i);
      times = std::stoi(items_text.substr(i + 7, e - i - 7));
      i = e == std::string::npos ? items_text.size() : e;
      continue;
    }
    if (items_text[i] == '@') return false;  // @NOADV, @INT: not this layer's concern
    char kind = items_text[i];
    size_t eq = items_text.find('=', i);
    std::string name = items_text.substr(i, eq - i);
    i = eq + 1;
    if (kind == 'A') {
      std::string t;
      if (i < items_text.size() && items_text[i] == '\'') {
        ++i;
        for (;;) {
          if (items_text[i] == '\'') {
            if (i + 1 < items_text.size() && items_text[i + 1] == '\'') {
              t += '\'';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          t += items_text[i++];
        }
      } else {
        size_t e = items_text.find(' ', i);
        if (e == std::string::npos) e = items_text.size();
        t = items_text.substr(i, e - i);
        i = e;
      }
      if (name.size() > 1) t.resize(std::stoi(name.substr(1)), ' ');
      texts.push_back(t);
      items.emplace_back(texts.back());
      continue;
    }
    size_t e = items_text.find(' ', i);
    if (e == std::string::npos) e = items_text.size();
    for (const std::string& v : split(items_text.substr(i, e - i), ',')) {
      if (kind == 'I') {
        size_t colon = v.find(':');
        if (colon != std::string::npos) {
          for (int x = std::stoi(v.substr(0, colon)); x <= std::stoi(v.substr(colon + 1)); ++x)
            items.emplace_back(static_cast<int32_t>(x));
        } else {
          items.emplace_back(static_cast<int32_t>(std::stol(v)));
        }
      } else {
        items.emplace_back(std::strtof(v.c_str(), nullptr));
      }
    }
    i = e;
  }
  return true;
}

void run_fmtwrite(const Case& c) {
  std::vector<std::string> texts;
  std::vector<Out> items;
  int times = 1;
  if (!parse_out_items(c.items_text, texts, items, times)) return;
  std::vector<std::string> expect = split(unescape(c.result), '\n');
  Layout layout = Layout::fixed(c.layout);
  // The bytes a file gets: each record ends with a line end unless the layout ends in "$".
  std::string file;
  for (int t = 0; t < times; ++t) {
    recio::Records r = recio::write(layout, items);
    for (size_t k = 0; k < r.lines.size(); ++k) {
      if (k > 0) file += '\n';
      file += r.lines[k];
    }
    if (!r.lines.empty() && !r.open_end) file += '\n';
  }
  std::string want;
  for (size_t k = 1; k < expect.size(); ++k) {
    std::string l = expect[k];
    if (l.empty() || l[0] != '|') continue;  // layout echo of an error, <empty file>
    bool open = l.size() > 13 && l.compare(l.size() - 13, 13, "|<no newline>") == 0;
    if (open) l.erase(l.size() - 12);
    want += l.substr(1, l.size() - 2);
    if (!open) want += '\n';
  }
  EXPECT_EQ(file, want) << "case " << c.id << " " << c.layout;
}

// ---------------------------------------------------------------- free form

void run_listread(const Case& c) {
  std::string items_text = c.items_text;
  std::vector<std::string> expect = split(unescape(c.result), '\n');
  std::string text = unescape(c.records);
  if (items_text.find("EXT") != std::string::npos)
    return;  // multi-record integer reads: not offered
  size_t cut = items_text.find("INT=");
  if (cut != std::string::npos) text.resize(std::stoi(items_text.substr(cut + 4)), ' ');
  bool ok = expect[0] == "OK";
  if (items_text[0] == 'I') {
    if (items_text.rfind("I*", 0) == 0) return;  // several integers from one text: not offered
    std::optional<int32_t> v = recio::read_free_int(text);
    if (ok && expect[1] != "unset") {
      ASSERT_TRUE(v.has_value()) << "case " << c.id;
      EXPECT_EQ(std::to_string(*v), expect[1]) << "case " << c.id;
    } else {
      EXPECT_FALSE(v.has_value()) << "case " << c.id;
    }
  } else if (items_text.rfind("R*", 0) == 0) {
    int n = std::stoi(items_text.substr(2));
    std::vector<float> vals(n, kUnsetR);
    testing_support::MemoryFileSystem fs;
    fs.files["t"] = text + "\n";
    recio::Units units(fs);
    units.open(1, "t", recio::Status::old);
    Outcome o = recio::read_free_reals(units.source(1), vals);
    EXPECT_EQ(status(o), expect[0].substr(0, expect[0].find(' '))) << "case " << c.id;
    for (int k = 0; k < n; ++k) EXPECT_EQ(show_real(vals[k]), expect[1 + k]) << "case " << c.id;
  } else {
    std::optional<float> v = recio::read_free_real(text);
    if (ok && expect[1] != "unset") {
      ASSERT_TRUE(v.has_value()) << "case " << c.id;
      EXPECT_EQ(show_real(*v), expect[1]) << "case " << c.id;
    } else {
      EXPECT_FALSE(v.has_value()) << "case " << c.id;
    }
  }
}

class GfortranCase : public ::testing::TestWithParam<Case> {};

TEST_P(GfortranCase, MatchesGfortran) {
  const Case& c = GetParam();
  if (skipped(c.id)) GTEST_SKIP() << "deliberate difference, see skipped()";
  std::string prog = c.prog;
  if (prog == "fmtread")
    run_fmtread(c);
  else if (prog == "fmtwrite")
    run_fmtwrite(c);
  else
    run_listread(c);
}

INSTANTIATE_TEST_SUITE_P(Table, GfortranCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& i) {
                           return std::string(i.param.prog) + "_" + std::to_string(i.param.id);
                         });
}  // namespace
