// Saving the screen as an image file.
#pragma once

#include <string>

namespace ulvo::host {

bool SaveScreenshot(const std::string& path, std::string& error);

}  // namespace ulvo::host
