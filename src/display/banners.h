// The status banners: progress and failures of a refresh, shown in the strip itself as one
// label and one coloured value. The texts are exact, spaces included.
#pragma once

constexpr char kContactingBanner[] = " Contacting Tamzo!  |+ Getting your news selections  |  ";
constexpr char kBadLoginBanner[] = " Bad 'My Tamzo!' Login  |! Check User ID & Password  |  ";
constexpr char kNoDataBanner[] =
    "  No Data Received from Tamzo!  |! Please try again later...  |  ";
constexpr char kCheckingVersionBanner[] =
    " Checking Software Version  |{ Checking Software Version  |  ";
constexpr char kUpdatingBanner[] = " Updating Software  |{ Updating Software  |  ";
