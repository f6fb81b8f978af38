// Our own declaration of the host's filter record and the records it reaches.
// The record is packed to 4 bytes on every target: 32-bit Windows gets natural
// alignment that way, 64-bit targets get 8-byte pointers at 4-byte offsets, as
// hosts lay the record out. The offsets are checked below for both pointer sizes
// (the native Linux build shares the 64-bit layout).
#pragma once

#include <cstddef>
#include <cstdint>

namespace ulvo::pi {

#pragma pack(push, 4)

using Boolean = uint8_t;
using Fixed = int32_t;
using OSType = uint32_t;
using Handle = char**;
using Str255 = uint8_t[256];
using FilterColor = uint8_t[4];

struct Rect {
  int16_t top, left, bottom, right;
};
struct Point {
  int16_t v, h;
};
struct VRect {
  int32_t top, left, bottom, right;
};
struct VPoint {
  int32_t v, h;
};
struct RGBColor {
  uint16_t red, green, blue;
};
struct PlugInMonitor {
  Fixed gamma, redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY, ambient;
};
struct PlatformData {
  intptr_t hwnd;  // the host's window handle
};

// Records the module never looks into; only pointers to them appear.
struct BufferProcs;
struct ResourceProcs;
struct HandleProcs;
struct ImageServicesProcs;
struct PropertyProcs;
struct ChannelPortProcs;
struct PIDescriptorParameters;
struct SPBasicSuite;
struct BigDocumentStruct;

using TestAbortProc = Boolean (*)();
using ProgressProc = void (*)(int32_t done, int32_t total);
using HostProc = void (*)(int16_t selector, intptr_t* data);
using AdvanceStateProc = int16_t (*)();
using GenericProc = void (*)();

struct ReadChannelDesc {
  int32_t minVersion;
  int32_t maxVersion;
  ReadChannelDesc* next;
  void* port;
  VRect bounds;
  int32_t depth;
  VPoint tileSize;
  VPoint tileOrigin;
  Boolean target;
  Boolean shown;
  int16_t channelType;
  void* contextInfo;
  const char* name;
};

struct ReadImageDocumentDesc {
  int32_t minVersion;
  int32_t maxVersion;
  int32_t imageMode;
  int32_t depth;
  VRect bounds;
  Fixed hResolution;
  Fixed vResolution;
  uint8_t redLUT[256];
  uint8_t greenLUT[256];
  uint8_t blueLUT[256];
  ReadChannelDesc* targetCompositeChannels;
  ReadChannelDesc* targetTransparency;
  ReadChannelDesc* targetLayerMask;
  ReadChannelDesc* mergedCompositeChannels;
  ReadChannelDesc* mergedTransparency;
  ReadChannelDesc* alphaChannels;
  ReadChannelDesc* selection;
};

struct AboutRecord {
  PlatformData* platformData;
  SPBasicSuite* sSPBasic;
  void* plugInRef;
  char reserved[244];
};

struct FilterRecord {
  int32_t serialNumber;
  TestAbortProc abortProc;
  ProgressProc progressProc;
  Handle parameters;
  Point imageSize;
  int16_t planes;
  Rect filterRect;
  RGBColor background;
  RGBColor foreground;
  int32_t maxSpace;
  int32_t bufferSpace;
  Rect inRect;
  int16_t inLoPlane;
  int16_t inHiPlane;
  Rect outRect;
  int16_t outLoPlane;
  int16_t outHiPlane;
  void* inData;
  int32_t inRowBytes;
  void* outData;
  int32_t outRowBytes;
  Boolean isFloating;
  Boolean haveMask;
  Boolean autoMask;
  Rect maskRect;
  void* maskData;
  int32_t maskRowBytes;
  FilterColor backColor;
  FilterColor foreColor;
  OSType hostSig;
  HostProc hostProc;
  int16_t imageMode;
  Fixed imageHRes;
  Fixed imageVRes;
  Point floatCoord;
  Point wholeSize;
  PlugInMonitor monitor;
  PlatformData* platformData;
  BufferProcs* bufferProcs;
  ResourceProcs* resourceProcs;
  GenericProc processEvent;
  GenericProc displayPixels;
  HandleProcs* handleProcs;
  Boolean supportsDummyChannels;
  Boolean supportsAlternateLayouts;
  int16_t wantLayout;
  int16_t filterCase;
  int16_t dummyPlaneValue;
  void* premiereHook;
  AdvanceStateProc advanceState;
  Boolean supportsAbsolute;
  Boolean wantsAbsolute;
  GenericProc getPropertyObsolete;
  Boolean cannotUndo;
  Boolean supportsPadding;
  int16_t inputPadding;
  int16_t outputPadding;
  int16_t maskPadding;
  char samplingSupport;
  char reservedByte;
  Fixed inputRate;
  Fixed maskRate;
  GenericProc colorServices;
  int16_t inLayerPlanes;
  int16_t inTransparencyMask;
  int16_t inLayerMasks;
  int16_t inInvertedLayerMasks;
  int16_t inNonLayerPlanes;
  int16_t outLayerPlanes;
  int16_t outTransparencyMask;
  int16_t outLayerMasks;
  int16_t outInvertedLayerMasks;
  int16_t outNonLayerPlanes;
  int16_t absLayerPlanes;
  int16_t absTransparencyMask;
  int16_t absLayerMasks;
  int16_t absInvertedLayerMasks;
  int16_t absNonLayerPlanes;
  int16_t inPreDummyPlanes;
  int16_t inPostDummyPlanes;
  int16_t outPreDummyPlanes;
  int16_t outPostDummyPlanes;
  int32_t inColumnBytes;
  int32_t inPlaneBytes;
  int32_t outColumnBytes;
  int32_t outPlaneBytes;
  ImageServicesProcs* imageServicesProcs;
  PropertyProcs* propertyProcs;
  int16_t inTileHeight;
  int16_t inTileWidth;
  Point inTileOrigin;
  int16_t absTileHeight;
  int16_t absTileWidth;
  Point absTileOrigin;
  int16_t outTileHeight;
  int16_t outTileWidth;
  Point outTileOrigin;
  int16_t maskTileHeight;
  int16_t maskTileWidth;
  Point maskTileOrigin;
  PIDescriptorParameters* descriptorParameters;
  Str255* errorString;
  ChannelPortProcs* channelPortProcs;
  ReadImageDocumentDesc* documentInfo;
  SPBasicSuite* sSPBasic;
  void* plugInRef;
  int32_t depth;
  Handle iCCprofileData;
  int32_t iCCprofileSize;
  int32_t canUseICCProfiles;
  int32_t hasImageScrap;
  BigDocumentStruct* bigDocumentData;
  PIDescriptorParameters* input3DScene;
  PIDescriptorParameters* output3DScene;
  Boolean createNewLayer;
  Handle iCCWorkingProfileData;
  int32_t iCCWorkingProfileSize;
  int64_t bufferSpace64;
  int64_t maxSpace64;
  char reserved[46];
};

#pragma pack(pop)

// Selectors, result codes and constants of the interface.
enum Selector : int16_t {
  kSelectorAbout = 0,
  kSelectorParameters = 1,
  kSelectorPrepare = 2,
  kSelectorStart = 3,
  kSelectorContinue = 4,
  kSelectorFinish = 5,
};

inline constexpr int16_t kNoErr = 0;
inline constexpr int16_t kFilterBadParameters = -30100;
inline constexpr int16_t kFilterBadMode = -30101;
inline constexpr int16_t kUserCanceledErr = -128;
inline constexpr int16_t kMemFullErr = -108;
inline constexpr int16_t kParamErr = -50;

enum ImageMode : int16_t {
  kModeBitmap = 0,
  kModeGray = 1,
  kModeIndexed = 2,
  kModeRGB = 3,
  kModeCMYK = 4,
  kModeHSL = 5,
  kModeHSB = 6,
  kModeMultichannel = 7,
  kModeDuotone = 8,
  kModeLab = 9,
  // Two bytes a sample, 0..32768 (0x8000 is full intensity).
  kModeGray16 = 10,
  kModeRGB48 = 11,
  kModeLab48 = 12,
  kModeCMYK64 = 13,
  kModeDeepMultichannel = 14,
  kModeDuotone16 = 15,
  // Four bytes a sample.
  kModeRGB96 = 16,
  kModeGray32 = 17,
};

// The largest sample of the 16-bit modes: full intensity.
inline constexpr int32_t kSixteenBitWhite = 32768;

inline constexpr Fixed kFixedOne = 0x10000;

// The signature of the exported entry point.
using EntryPointProc = void (*)(int16_t selector, void* record, intptr_t* data, int16_t* result);

// Offset checks. The first number is the 32-bit offset, the second the 64-bit one.
#define ULVO_CHECK_OFFSET(type, field, off32, off64) \
  static_assert(offsetof(type, field) == (sizeof(void*) == 4 ? (off32) : (off64)), #field)

#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
#endif

ULVO_CHECK_OFFSET(FilterRecord, serialNumber, 0, 0);
ULVO_CHECK_OFFSET(FilterRecord, abortProc, 4, 4);
ULVO_CHECK_OFFSET(FilterRecord, progressProc, 8, 12);
ULVO_CHECK_OFFSET(FilterRecord, parameters, 12, 20);
ULVO_CHECK_OFFSET(FilterRecord, imageSize, 16, 28);
ULVO_CHECK_OFFSET(FilterRecord, planes, 20, 32);
ULVO_CHECK_OFFSET(FilterRecord, filterRect, 22, 34);
ULVO_CHECK_OFFSET(FilterRecord, background, 30, 42);
ULVO_CHECK_OFFSET(FilterRecord, foreground, 36, 48);
ULVO_CHECK_OFFSET(FilterRecord, maxSpace, 44, 56);
ULVO_CHECK_OFFSET(FilterRecord, bufferSpace, 48, 60);
ULVO_CHECK_OFFSET(FilterRecord, inRect, 52, 64);
ULVO_CHECK_OFFSET(FilterRecord, inLoPlane, 60, 72);
ULVO_CHECK_OFFSET(FilterRecord, inHiPlane, 62, 74);
ULVO_CHECK_OFFSET(FilterRecord, outRect, 64, 76);
ULVO_CHECK_OFFSET(FilterRecord, outLoPlane, 72, 84);
ULVO_CHECK_OFFSET(FilterRecord, outHiPlane, 74, 86);
ULVO_CHECK_OFFSET(FilterRecord, inData, 76, 88);
ULVO_CHECK_OFFSET(FilterRecord, inRowBytes, 80, 96);
ULVO_CHECK_OFFSET(FilterRecord, outData, 84, 100);
ULVO_CHECK_OFFSET(FilterRecord, outRowBytes, 88, 108);
ULVO_CHECK_OFFSET(FilterRecord, isFloating, 92, 112);
ULVO_CHECK_OFFSET(FilterRecord, haveMask, 93, 113);
ULVO_CHECK_OFFSET(FilterRecord, autoMask, 94, 114);
ULVO_CHECK_OFFSET(FilterRecord, maskRect, 96, 116);
ULVO_CHECK_OFFSET(FilterRecord, maskData, 104, 124);
ULVO_CHECK_OFFSET(FilterRecord, maskRowBytes, 108, 132);
ULVO_CHECK_OFFSET(FilterRecord, backColor, 112, 136);
ULVO_CHECK_OFFSET(FilterRecord, foreColor, 116, 140);
ULVO_CHECK_OFFSET(FilterRecord, hostSig, 120, 144);
ULVO_CHECK_OFFSET(FilterRecord, hostProc, 124, 148);
ULVO_CHECK_OFFSET(FilterRecord, imageMode, 128, 156);
ULVO_CHECK_OFFSET(FilterRecord, imageHRes, 132, 160);
ULVO_CHECK_OFFSET(FilterRecord, imageVRes, 136, 164);
ULVO_CHECK_OFFSET(FilterRecord, floatCoord, 140, 168);
ULVO_CHECK_OFFSET(FilterRecord, wholeSize, 144, 172);
ULVO_CHECK_OFFSET(FilterRecord, monitor, 148, 176);
ULVO_CHECK_OFFSET(FilterRecord, platformData, 188, 216);
ULVO_CHECK_OFFSET(FilterRecord, bufferProcs, 192, 224);
ULVO_CHECK_OFFSET(FilterRecord, resourceProcs, 196, 232);
ULVO_CHECK_OFFSET(FilterRecord, processEvent, 200, 240);
ULVO_CHECK_OFFSET(FilterRecord, displayPixels, 204, 248);
ULVO_CHECK_OFFSET(FilterRecord, handleProcs, 208, 256);
ULVO_CHECK_OFFSET(FilterRecord, supportsDummyChannels, 212, 264);
ULVO_CHECK_OFFSET(FilterRecord, supportsAlternateLayouts, 213, 265);
ULVO_CHECK_OFFSET(FilterRecord, wantLayout, 214, 266);
ULVO_CHECK_OFFSET(FilterRecord, filterCase, 216, 268);
ULVO_CHECK_OFFSET(FilterRecord, dummyPlaneValue, 218, 270);
ULVO_CHECK_OFFSET(FilterRecord, premiereHook, 220, 272);
ULVO_CHECK_OFFSET(FilterRecord, advanceState, 224, 280);
ULVO_CHECK_OFFSET(FilterRecord, supportsAbsolute, 228, 288);
ULVO_CHECK_OFFSET(FilterRecord, wantsAbsolute, 229, 289);
ULVO_CHECK_OFFSET(FilterRecord, getPropertyObsolete, 232, 292);
ULVO_CHECK_OFFSET(FilterRecord, cannotUndo, 236, 300);
ULVO_CHECK_OFFSET(FilterRecord, supportsPadding, 237, 301);
ULVO_CHECK_OFFSET(FilterRecord, inputPadding, 238, 302);
ULVO_CHECK_OFFSET(FilterRecord, outputPadding, 240, 304);
ULVO_CHECK_OFFSET(FilterRecord, maskPadding, 242, 306);
ULVO_CHECK_OFFSET(FilterRecord, samplingSupport, 244, 308);
ULVO_CHECK_OFFSET(FilterRecord, reservedByte, 245, 309);
ULVO_CHECK_OFFSET(FilterRecord, inputRate, 248, 312);
ULVO_CHECK_OFFSET(FilterRecord, maskRate, 252, 316);
ULVO_CHECK_OFFSET(FilterRecord, colorServices, 256, 320);
ULVO_CHECK_OFFSET(FilterRecord, inLayerPlanes, 260, 328);
ULVO_CHECK_OFFSET(FilterRecord, inTransparencyMask, 262, 330);
ULVO_CHECK_OFFSET(FilterRecord, inLayerMasks, 264, 332);
ULVO_CHECK_OFFSET(FilterRecord, inInvertedLayerMasks, 266, 334);
ULVO_CHECK_OFFSET(FilterRecord, inNonLayerPlanes, 268, 336);
ULVO_CHECK_OFFSET(FilterRecord, outLayerPlanes, 270, 338);
ULVO_CHECK_OFFSET(FilterRecord, outTransparencyMask, 272, 340);
ULVO_CHECK_OFFSET(FilterRecord, outLayerMasks, 274, 342);
ULVO_CHECK_OFFSET(FilterRecord, outInvertedLayerMasks, 276, 344);
ULVO_CHECK_OFFSET(FilterRecord, outNonLayerPlanes, 278, 346);
ULVO_CHECK_OFFSET(FilterRecord, absLayerPlanes, 280, 348);
ULVO_CHECK_OFFSET(FilterRecord, absTransparencyMask, 282, 350);
ULVO_CHECK_OFFSET(FilterRecord, absLayerMasks, 284, 352);
ULVO_CHECK_OFFSET(FilterRecord, absInvertedLayerMasks, 286, 354);
ULVO_CHECK_OFFSET(FilterRecord, absNonLayerPlanes, 288, 356);
ULVO_CHECK_OFFSET(FilterRecord, inPreDummyPlanes, 290, 358);
ULVO_CHECK_OFFSET(FilterRecord, inPostDummyPlanes, 292, 360);
ULVO_CHECK_OFFSET(FilterRecord, outPreDummyPlanes, 294, 362);
ULVO_CHECK_OFFSET(FilterRecord, outPostDummyPlanes, 296, 364);
ULVO_CHECK_OFFSET(FilterRecord, inColumnBytes, 300, 368);
ULVO_CHECK_OFFSET(FilterRecord, inPlaneBytes, 304, 372);
ULVO_CHECK_OFFSET(FilterRecord, outColumnBytes, 308, 376);
ULVO_CHECK_OFFSET(FilterRecord, outPlaneBytes, 312, 380);
ULVO_CHECK_OFFSET(FilterRecord, imageServicesProcs, 316, 384);
ULVO_CHECK_OFFSET(FilterRecord, propertyProcs, 320, 392);
ULVO_CHECK_OFFSET(FilterRecord, inTileHeight, 324, 400);
ULVO_CHECK_OFFSET(FilterRecord, inTileWidth, 326, 402);
ULVO_CHECK_OFFSET(FilterRecord, inTileOrigin, 328, 404);
ULVO_CHECK_OFFSET(FilterRecord, absTileHeight, 332, 408);
ULVO_CHECK_OFFSET(FilterRecord, absTileWidth, 334, 410);
ULVO_CHECK_OFFSET(FilterRecord, absTileOrigin, 336, 412);
ULVO_CHECK_OFFSET(FilterRecord, outTileHeight, 340, 416);
ULVO_CHECK_OFFSET(FilterRecord, outTileWidth, 342, 418);
ULVO_CHECK_OFFSET(FilterRecord, outTileOrigin, 344, 420);
ULVO_CHECK_OFFSET(FilterRecord, maskTileHeight, 348, 424);
ULVO_CHECK_OFFSET(FilterRecord, maskTileWidth, 350, 426);
ULVO_CHECK_OFFSET(FilterRecord, maskTileOrigin, 352, 428);
ULVO_CHECK_OFFSET(FilterRecord, descriptorParameters, 356, 432);
ULVO_CHECK_OFFSET(FilterRecord, errorString, 360, 440);
ULVO_CHECK_OFFSET(FilterRecord, channelPortProcs, 364, 448);
ULVO_CHECK_OFFSET(FilterRecord, documentInfo, 368, 456);
ULVO_CHECK_OFFSET(FilterRecord, sSPBasic, 372, 464);
ULVO_CHECK_OFFSET(FilterRecord, plugInRef, 376, 472);
ULVO_CHECK_OFFSET(FilterRecord, depth, 380, 480);
ULVO_CHECK_OFFSET(FilterRecord, iCCprofileData, 384, 484);
ULVO_CHECK_OFFSET(FilterRecord, iCCprofileSize, 388, 492);
ULVO_CHECK_OFFSET(FilterRecord, canUseICCProfiles, 392, 496);
ULVO_CHECK_OFFSET(FilterRecord, hasImageScrap, 396, 500);
ULVO_CHECK_OFFSET(FilterRecord, bigDocumentData, 400, 504);
ULVO_CHECK_OFFSET(FilterRecord, input3DScene, 404, 512);
ULVO_CHECK_OFFSET(FilterRecord, output3DScene, 408, 520);
ULVO_CHECK_OFFSET(FilterRecord, createNewLayer, 412, 528);
ULVO_CHECK_OFFSET(FilterRecord, iCCWorkingProfileData, 416, 532);
ULVO_CHECK_OFFSET(FilterRecord, iCCWorkingProfileSize, 420, 540);
ULVO_CHECK_OFFSET(FilterRecord, bufferSpace64, 424, 544);
ULVO_CHECK_OFFSET(FilterRecord, maxSpace64, 432, 552);
ULVO_CHECK_OFFSET(FilterRecord, reserved, 440, 560);
static_assert(sizeof(FilterRecord) == (sizeof(void*) == 4 ? 488 : 608));

ULVO_CHECK_OFFSET(ReadImageDocumentDesc, bounds, 16, 16);
ULVO_CHECK_OFFSET(ReadImageDocumentDesc, redLUT, 40, 40);
ULVO_CHECK_OFFSET(ReadImageDocumentDesc, blueLUT, 552, 552);
ULVO_CHECK_OFFSET(ReadImageDocumentDesc, targetCompositeChannels, 808, 808);
ULVO_CHECK_OFFSET(ReadImageDocumentDesc, alphaChannels, 828, 848);
ULVO_CHECK_OFFSET(ReadImageDocumentDesc, selection, 832, 856);
ULVO_CHECK_OFFSET(ReadChannelDesc, next, 8, 8);
ULVO_CHECK_OFFSET(ReadChannelDesc, port, 12, 16);
ULVO_CHECK_OFFSET(ReadChannelDesc, bounds, 16, 24);
ULVO_CHECK_OFFSET(ReadChannelDesc, depth, 32, 40);
ULVO_CHECK_OFFSET(ReadChannelDesc, tileSize, 36, 44);
ULVO_CHECK_OFFSET(ReadChannelDesc, tileOrigin, 44, 52);
ULVO_CHECK_OFFSET(ReadChannelDesc, target, 52, 60);
ULVO_CHECK_OFFSET(ReadChannelDesc, channelType, 54, 62);
ULVO_CHECK_OFFSET(ReadChannelDesc, contextInfo, 56, 64);
ULVO_CHECK_OFFSET(ReadChannelDesc, name, 60, 72);
ULVO_CHECK_OFFSET(AboutRecord, sSPBasic, 4, 8);

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

#undef ULVO_CHECK_OFFSET

}  // namespace ulvo::pi
