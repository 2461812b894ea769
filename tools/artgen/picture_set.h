// The 32 picture files: sixteen subjects, each in colour (style 00) and in grey (style 01).
#pragma once

#include <ostream>
#include <string>

// Renders every picture, proves each file reads back to exactly the dithered pixels, and
// writes STYLE0s_PICnn.bmp into the directory. False (with a message on log) on any fault.
bool WritePictures(const std::string& directory, std::ostream& log);

// Checks the files in the directory field by field and against a fresh render.
bool CheckPictures(const std::string& directory, std::ostream& log);
