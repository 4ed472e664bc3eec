// ShowBanner puts a banner on the strip at once. Feed worker thread only.
#pragma once

// restartScroll: the strip starts again from its beginning (Contacting); otherwise it keeps
// its position (the update banners).
void ShowBanner(const char* text, bool restartScroll);
