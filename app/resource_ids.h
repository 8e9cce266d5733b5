#pragma once
// Resource numbers shared by the resource script and the code.
#define kIconId 101
#define kMenuId 102
#define kAcceleratorTableId 103
#define kAboutDialogId 104

#define kCommandNew 40001
#define kCommandOpen 40002
#define kCommandSave 40003
#define kCommandSaveAs 40004
#define kCommandExit 40005
#define kCommandAbout 40006
#define kCommandHearAsCard 40007
#define kCommandUndo 40008
#define kCommandRedo 40009
#define kCommandTrimSilence 40010
#define kCommandSnapMarkers 40011
#define kCommandDitherCard 40012

// The About box's two lines, filled at run time.
#define kAboutVersionText 1001
#define kAboutLegalNoticeText 1002
