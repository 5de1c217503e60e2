#pragma once

// Image file kinds as the bitmap loading knows them; 1 and 5 are never produced.
enum ImageFileKind {
    kNotAnImage = 0,
    kBmpImage = 2,
    kJpegImage = 3,
    kGifImage = 4,
    kPictImage = 6,
    kPngImage = 7,
    kTiffImage = 8,
};

// By the name's extension, checked against the first bytes for BMP and GIF
// when the file can be read; kNotAnImage for anything else.
int GetImageFileKind(const char* thePath);
// By the name's extension alone: the kind a file of that name is written in.
int ImageKindOfName(const char* thePath);
