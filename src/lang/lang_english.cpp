// Built-in English texts. Several of them are sentence parts joined with file names, list names
// and numbers, so their exact spacing matters; the list prefix words ("LIST", "list") are plain
// ASCII because list names are stored in the receiver's 7-bit character set.
#include "builtin_languages.h"

namespace cs::lang {

extern const std::string_view kEnglishText = R"LNG([LANGUAGE]
; TITLE
TitleApplication=Tervanis Tools
;MENU
MenuFile=&File
MenuEdit=&Edit
MenuSearch=&Search
MenuTransmission=&Transmission
MenuHelp=He&lp
MenuNew=New
MenuOpen=&Open...
MenuSave=&Save
MenuSaveAs=Save a&s...
MenuPreference=P&references...
MenuLanguage=&Language
MenuExit=Ex&it
MenuEffects=Effe&cts
MenuCut=Cut
MenuCopy=Copy
MenuPaste=Paste
MenuDelete=Delete
MenuSelectAll=Select All
MenuPopUpChangeName=&Change name
MenuPopUpSelectAll=Select &all
MenuPopProperties=&Properties
MenuPopEraseAllChannels=&Delete all programs
MenuCreateNewList=&Create new list
MenuEraseList=&Delete list
MenuFind=&Find
MenuFindNext=Find &Next
MenuFindAll=Find &all
MenuCreatorConnection=&Connection wizard
MenuReceiveBaseData=&Receive base programs
MenuSendBaseData=&Send a base programs
MenuUpdateSoftware=&Upgrade software
MenuHelpAbout=&About...
MenuNumbersProgram=Numbering programes
MenuTrayIcoOpen=File
MenuTrayIcoHomePage=Tervanis HomePage
MenuPopUpProgram=PROGRAM
MenuPopUpTransponder=TRANSPONDER
MenuPopUpAlphabet=ALFABET
; MESSAGES
MsgFile=File
MsgExistingOverwrite=already exists, save?
MsgFileNotExisting=doesn't  exist
MSgFileNotCorrectFormatBase=is not a valid format for database programs
MSgFileNotGoodRead=could not be read correctly
MsgFileNotAccess=cannot be accessed
MsgCreateBaseInternalErr=Internal error while creating the database of programs
MsgErrorFile=File error
MsgThisApplicationIsRunning=The application is already running.
MsgNoEnoughMemoryForRunning=Not enough memory to run the application. #Complete some programs and try again.
MsgSaveBaseDataToFile=Save database a file?
MsgSaveChanged=Save the changes ?
MsgFileCantSave=Unable to save file
MsgFileSaveError=Write Error
MsgFileCurrentFileIsOpen=File is already open. Open it again?
MsgRunEditorAgain=To change the language Editor, start again.
MsgGiveNbChannel=Please enter the number you are looking for
MsgInsertChannelBefore=Insert the program (s) before
MsgList=list
MsgListBig=LIST
MsgQuestionErase=Do you want to delete
MsgEraseList=DELETE LIST
MsgFileNotExisting=The file does not exist
; LIST VIEW AND TEXTS
ListViewNb=No.
TextListView=To delete programs list, select the operator or selected channels using the techniques and Drag & Drop & drag your mouse to the bin.
TextNotFoundChannel=No results were found program
TextInformation=Information
TextError=Error
TextImportFile=Import file
TextExportFile=Export file
TextCopy=Copy
TextDelete=Remove
TextDoRemove=Remove
TextCopyProviders=Copy operators
TextCopyLists=Copy LISTS
TextCopyChannels=Copy channel (s)
TextMoveChannels=Move channel (s)
TextRemoveChannel=Delete Channel
TextChoiceSelect=Selected
TextAmountChannels=Channels
TextOpen=open
TextFileChanged=File changed
TextChannel=channel
TextLoading=loads
TextDoCopy=Copy
TextDoMove=Move
TextListNew=LIST new
TextFrom=from
TextTo=to
TextDoCopyAllChannelsFrom=Copy all channels from
TextEraseAllChannelsFrom=Delete all channels from
TextBtnOK=&OK
TextBtnCancel=C&ancel
TextBtnHelp=&Help
TextYES=YES
TextNO=NO
TextOFF=Off
TextList=LIST
TextListMain=MAIN LIST
; TAB SHEETS
TabSheet1=Program
TabSheet2=PIDs
TabSheet3=Ca
; PROPERTIES
Propertis_Title=Properties
Propertis_Stereo=STEREO
Propertis_LChannel=L CHANNEL ONLY
Propertis_RChannel=R CHANNEL ONLY
Propertis_Mono=MONO
Propertis_Label01=Name
Propertis_Label02=Operator
Propertis_Label03=Satellite
Propertis_Label04=Frequency
Propertis_Label05=Symbol rate
Propertis_Label06=Polarization
Propertis_Label07=FEC
Propertis_Label10=Video PID
Propertis_Label11=Audio PID
Propertis_Label16=PMT PID
Propertis_Label20=Display hex value
Propertis_Label21=Service ID
Propertis_Label23=Name of coding system
Propertis_Label25=No coding systems
Propertis_Label26=Audio mode
Propertis_Label27L=CA priority
; SATELLITES
Propertis_Satellite_Title=Satellites
Propertis_Satellite=Satellite
Propertis_SatelliteInputLNB=LNB input
Propertis_Satellite_ConverterLNB=Converter
Propertis_LNB_Power=LNB power
Propertis_Satellite_AllSatNoMotor=All satellites - No motor
Propertis_Satellite_AllSatMotorGotoX=All satellites GOTO X
; CLOCK
Propertis_ClockSet_Title=Clock settings
Propertis_ClockSet_Label01=Time Zone
Propertis_ClockSet_Label02=Enable clock
; PARENTAL LOCK
Propertis_ParentalLock_Title=Parental lock
Propertis_ParentalLock_OldCode=Old code
Propertis_ParentalLock_NewCode=New code
Propertis_ParentalLock_ConfirmNewCode=Confirm new code
Propertis_ParentalLock_ChangeCodeLock=Change lock code
Propertis_ParentalLock_ChangeCodeHint=Enter the old code, then the new code twice, and press "Change lock code".
Propertis_ParentalLock_NewCodeChanged=The new parental lock code entered correctly
; CONVERTERS
Propertis_ConverterLNB_Title=Converters
Propertis_ConverterLNB_Label01=LOF1 is the local oscillator of the lower range, LOF2 that of the upper range, RANGE the frequency at which the receiver switches from LOF1 to LOF2 (all in MHz).
Propertis_ConverterLNB_Label02=Converter
Propertis_ConverterLNB_Label03=LOF1
Propertis_ConverterLNB_Label04=LOF2
Propertis_ConverterLNB_Label05=RANGE
; TRANSPONDER LIST
Propertis_List_transponder_Title=Transponder list
Propertis_List_transponder_Satellite=Satellite
Propertis_List_transponder_NoTransp=No a transponder for the selected satellite
Propertis_List_transponder_Id=Id
Propertis_List_transponder_Frequency=Frequency
Propertis_List_transponder_Polarization=Polarization
Propertis_List_transponder_SymbolRate=Symbol Rate
Propertis_List_transponder_FecRate=Fec Rate
Propertis_List_transponder_IQMode=IQ Mode
Propertis_List_transponder_Constellation=Constellation
Propertis_List_transponder_AddRemove=Add
Propertis_List_transponder_Remove=Remove
Propertis_List_transponder_IsFull=Transponder list is full.#No memory of the new transponder.
Propertis_List_transponder_EraseSelect=Delete the selected transponders?
Propertis_List_transponder_Existing=Introduced transponder is already entered in the list
Propertis_List_transponder_ChangeParam=Changing the parameters of the transponder
Propertis_List_transponder_AddNewTransp=Add new transponder
Propertis_TheSamePID=Submitted PIDs can not be mirrored. Please re-enter.
Propertis_ParametrNoCorrect=Incorrectly entered parameter
Propertis_Profiles_Hint=The profiles PROFIL 01 to PROFIL 08 are set up in the menu of the receiver.
; TREE
TreeViewUnknow='unknown'
TreeViewColStbSett=Receiver settings
TreeViewColSatellites=Satellites
TreeViewColClockAdjust=Clock settings
TreeViewColParentalLock=Parental lock
TreeViewColConverterLNB=Converters
TreeViewColListTransponder=Transponder list
TreeViewMainList=MAIN LIST
TreeViewRecycle=BIN
TreeViewProvider=OPERATOR
TreeViewSetting=SETUP
; CREATOR
Creator_Title=Connection Wizard
Creator_Label_Connection=Connection
Creator_Label_File=File
Creator_Label_FileSize=File size
Creator_Label_Packet=Packet
Creator_Label_Progress=Progress
Creator_Label_WhatDoNow=What now?
Creator_Label_PatchAccess=Access Path
Creator_Label_AutoOpenBaseData=Automatically open the database program
Creator_Label_Btn_Previous=< B&ack
Creator_Label_Btn_Next=M&ore >
Creator_Label_Btn_Connect=&Link
Creator_Label_Btn_View=Browse ...
Creator_Label_Btn_Break=B&reak
Creator_Msg_ConnectBreakUser=Connection aborted by the user.
Creator_Msg_CantOpenComPort=Could not open port
Creator_Msg_SendCurrentBase=Send a current database of programs ?
Creator_Msg_SendFileToReceiver=Send a file (*. dsp) to the receiver
Creator_Msg_ReceiveBaseDate=Receive only channels from the receiver base
Creator_Msg_ReceiveBaseDateAll=Receive all settings from the receiver base ?
Creator_Msg_FileBaseData=Database programs (*. dsp) | *. dsp
Creator_Msg_SelectFileToSend=Select file to upload
Creator_Msg_SelectFileToReceive=Enter the name of the file to receive
Creator_Msg_CreateConnection=Create a connection.
Creator_Msg_SendingFile=Sending a file ...
Creator_Msg_CloseConnection=Closing the connection.
Creator_Msg_EndOfConnection=End connection
Creator_Msg_ReceivingFile=Receiving a file...
Creator_Msg_Open=Open...
Creator_TextS00=Sent to the receiver current base loaded to Editor Settings
Creator_TextS01=Sent to the receiver file (*. dsp) containing the new software, programs or plugins base
Creator_TextS02=Import database programs from your receiver to your computer, enter the path where the file is to be saved
Creator_SelectComPort=Select the port the receiver is connected to
Creator_SelectTypeOftransmission=Choose the type of transmission
Creator_SendFile=Send the file to the receiver
Creator_ReceiveFile=Receive the file from the receiver
Creator_NoInstallComPort=No ports are installed on your system. #Broadcast Canceled
Creator_FileModified01=The database
Creator_FileModified02=has been changed. Save the changes before sending?
Creator_SaveChanged=Save the changes ?
Creator_FileNoContainBase=No database of programs is loaded.
Creator_FileCantRead=The file cannot be read or its size is not correct.
Creator_FolderNoExiste=The specified directory does not exist. Create it?
Creator_CantCreateFolder=You can not create the specified directory.
Creator_NoEnoughSpace=There is no free space on hard disk or the wrong type.
Creator_Send=&Send
Creator_Receive=&Answer
Creator_Bytes=bytes
Creator_ErrorTimeout=Timeout: the receiver does not answer.
Creator_ErrorControlSum=Checksum error in the transferred data.
Creator_ErrorEndOfConnectionCantCreate=Connection ended: the file could not be created.
; PREFERENCES
Pref_Title=Preferences
Pref_Ctr00=General
Pref_Ctr01=Communications
Pref_Ctr02=Installation
Pref_CheckBox01=Do not show TrayIcon, just close applications
Pref_CheckBox02=More than one instance of Editor
Pref_CheckBox03=Ban the use of techniques Drag & & Drop
Pref_CheckBox04=Do not load the database file after starting the application programs
Pref_CheckBox05=Launching the program at startup
Pref_Label01=Select Port
Pref_Btn01=Registering extension *. dsp
Pref_Btn02=Create a shortcut to the program on the Desktop
; IMAGE MANAGER
ImgManTitle=Image Manager
ImgManEffectScale=Scale
ImgManEffectScaleComprQuality=Compression quality
ImgManEffectScaleFullSize=Full size
ImgManEffectScaleHalf=Half
ImgManEffectScaleQuarter=Quarter
ImgManEffectScaleEighth=Eighth
ImgManEffectGrayscale=Grayscale
ImgManEffectErrorMessage=The picture store could not be written.
; ABOUT
About_MemoryAvail=Avail memory
About_MemoryUses=Used memory
; HINTS
HintTvRadio=TV / radio channels
HintFtaCa=Free / scrambled channels
HintSort=Sorting
HintListDestination=Sorting
HintSystemsCode=Coding systems
HintLang=Language
HintChannel=Channel
HintOpeningBase=Opening data base
MsgDamagedRecords=channel records are damaged and will not be saved; the file as it is now is kept as .BAK at the first save
MsgFileNotAFile=is not a file (a folder, a device or a named pipe) and is left as it is; choose another name
MsgFileChangedOnDisk=was changed on disk since it was opened. Yes: save over it. No: reload it from the disk (the changes made here are lost). Cancel: save under another name.
)LNG";

extern const std::string_view kEnglishProgramText = R"LNG(; LOG WINDOW
Log_Title=Log
Log_CopyAll=Copy all
Log_WriteTo=Write to
Log_DoubleClickHint=Double-click writes the lines to
Log_LinesWritten=lines written to
Log_WriteFailed=The log could not be written to
)LNG";

} // namespace cs::lang
