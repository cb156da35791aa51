// Built-in Slovak texts, in the key order of the English file. List prefix words and the default
// list name stay ASCII ("ZOZNAM novy" without its accent) because list names are stored in the
// receiver's 7-bit character set.
#include "builtin_languages.h"

namespace cs::lang {

extern const std::string_view kSlovakText = R"LNG([LANGUAGE]
; TITLE
TitleApplication=Tervanis Tools
;MENU
MenuFile=&Súbor
MenuEdit=Úp&ravy
MenuSearch=&Hľadať
MenuTransmission=&Prenos
MenuHelp=Pomo&c
MenuNew=Nový
MenuOpen=&Otvoriť...
MenuSave=&Uložiť
MenuSaveAs=Uložiť &ako...
MenuPreference=P&redvoľby...
MenuLanguage=&Jazyk
MenuExit=&Koniec
MenuEffects=Efe&kty
MenuCut=Vystrihnúť
MenuCopy=Kopírovať
MenuPaste=Prilepiť
MenuDelete=Odstrániť
MenuSelectAll=Označiť všetko
MenuPopUpChangeName=&Zmeniť názov
MenuPopUpSelectAll=Označiť &všetko
MenuPopProperties=&Vlastnosti
MenuPopEraseAllChannels=&Odstrániť všetky programy
MenuCreateNewList=&Vytvoriť nový zoznam
MenuEraseList=O&dstrániť zoznam
MenuFind=&Nájsť
MenuFindNext=Nájsť ď&alší
MenuFindAll=Nájsť &všetky
MenuCreatorConnection=&Sprievodca pripojením
MenuReceiveBaseData=&Prijať databázu programov
MenuSendBaseData=&Odoslať databázu programov
MenuUpdateSoftware=&Aktualizovať softvér
MenuHelpAbout=&O programe...
MenuNumbersProgram=Číslovanie programov
MenuTrayIcoOpen=Otvoriť
MenuTrayIcoHomePage=Domovská stránka Tervanis
MenuPopUpProgram=PROGRAM
MenuPopUpTransponder=TRANSPONDÉR
MenuPopUpAlphabet=ABECEDNE
; MESSAGES
MsgFile=Súbor
MsgExistingOverwrite=už existuje, uložiť?
MsgFileNotExisting=neexistuje
MSgFileNotCorrectFormatBase=nemá platný formát databázy programov
MSgFileNotGoodRead=sa nepodarilo správne prečítať
MsgFileNotAccess=nie je prístupný
MsgCreateBaseInternalErr=Vnútorná chyba pri vytváraní databázy programov
MsgErrorFile=Chyba súboru
MsgThisApplicationIsRunning=Aplikácia je už spustená.
MsgNoEnoughMemoryForRunning=Na spustenie aplikácie nie je dosť pamäte. Ukončite niektoré programy a skúste to znova.
MsgSaveBaseDataToFile=Uložiť databázu do súboru
MsgSaveChanged=Uložiť zmeny?
MsgFileCantSave=Súbor sa nedá uložiť
MsgFileSaveError=Chyba zápisu
MsgFileCurrentFileIsOpen=Súbor je už otvorený. Otvoriť ho znova?
MsgRunEditorAgain=Ak chcete zmeniť jazyk editora, spustite ho znova.
MsgGiveNbChannel=Zadajte hľadané číslo
MsgInsertChannelBefore=Vložiť program(y) pred
MsgList=zoznam
MsgListBig=ZOZNAM
MsgQuestionErase=Naozaj chcete odstrániť
MsgEraseList=ODSTRÁNIŤ ZOZNAM
MsgFileNotExisting=Súbor neexistuje
; LIST VIEW AND TEXTS
ListViewNb=Č.
TextListView=Ak chcete odstrániť programy zo zoznamu, označte operátora alebo vybrané kanály a presuňte ich myšou do koša.
TextNotFoundChannel=Nenašiel sa žiadny program
TextInformation=Informácia
TextError=Chyba
TextImportFile=Importovať súbor
TextExportFile=Exportovať súbor
TextCopy=Kopírovať
TextDelete=Odstrániť
TextDoRemove=Odstrániť
TextCopyProviders=Kopírovať operátorov
TextCopyLists=Kopírovať ZOZNAMY
TextCopyChannels=Kopírovať kanál(y)
TextMoveChannels=Presunúť kanál(y)
TextRemoveChannel=Odstrániť kanál
TextChoiceSelect=Označené
TextAmountChannels=Kanály
TextOpen=otvorený
TextFileChanged=Súbor zmenený
TextChannel=kanál
TextLoading=načítava sa
TextDoCopy=Kopírovať
TextDoMove=Presunúť
TextListNew=ZOZNAM novy
TextFrom=z
TextTo=do
TextDoCopyAllChannelsFrom=Kopírovať všetky kanály:
TextEraseAllChannelsFrom=Odstrániť všetky kanály:
TextBtnOK=&OK
TextBtnCancel=&Zrušiť
TextBtnHelp=&Pomoc
TextYES=ÁNO
TextNO=NIE
TextOFF=Vyp.
TextList=ZOZNAM
TextListMain=HLAVNÝ ZOZNAM
; TAB SHEETS
TabSheet1=Program
TabSheet2=PID
TabSheet3=Ca
; PROPERTIES
Propertis_Title=Vlastnosti
Propertis_Stereo=STEREO
Propertis_LChannel=LEN ĽAVÝ KANÁL
Propertis_RChannel=LEN PRAVÝ KANÁL
Propertis_Mono=MONO
Propertis_Label01=Názov
Propertis_Label02=Operátor
Propertis_Label03=Satelit
Propertis_Label04=Frekvencia
Propertis_Label05=Symbolová rýchlosť
Propertis_Label06=Polarizácia
Propertis_Label07=FEC
Propertis_Label10=PID videa
Propertis_Label11=PID zvuku
Propertis_Label16=PID PMT
Propertis_Label20=Zobraziť hexadecimálne hodnoty
Propertis_Label21=Identifikátor služby
Propertis_Label23=Názov kódovacieho systému
Propertis_Label25=Žiadne kódovacie systémy
Propertis_Label26=Režim zvuku
Propertis_Label27L=Priorita CA
; SATELLITES
Propertis_Satellite_Title=Satelity
Propertis_Satellite=Satelit
Propertis_SatelliteInputLNB=Vstup LNB
Propertis_Satellite_ConverterLNB=Konvertor
Propertis_LNB_Power=Napájanie LNB
Propertis_Satellite_AllSatNoMotor=Všetky satelity - bez motora
Propertis_Satellite_AllSatMotorGotoX=Všetky satelity GOTO X
; CLOCK
Propertis_ClockSet_Title=Nastavenie hodín
Propertis_ClockSet_Label01=Časové pásmo
Propertis_ClockSet_Label02=Zapnúť hodiny
; PARENTAL LOCK
Propertis_ParentalLock_Title=Rodičovský zámok
Propertis_ParentalLock_OldCode=Starý kód
Propertis_ParentalLock_NewCode=Nový kód
Propertis_ParentalLock_ConfirmNewCode=Potvrdiť nový kód
Propertis_ParentalLock_ChangeCodeLock=Zmeniť kód zámku
Propertis_ParentalLock_ChangeCodeHint=Zadajte starý kód, potom dvakrát nový kód a stlačte "Zmeniť kód zámku".
Propertis_ParentalLock_NewCodeChanged=Nový kód rodičovského zámku bol zadaný správne
; CONVERTERS
Propertis_ConverterLNB_Title=Konvertory
Propertis_ConverterLNB_Label01=LOF1 je lokálny oscilátor dolného pásma, LOF2 horného pásma a ROZSAH je frekvencia, pri ktorej prijímač prepína z LOF1 na LOF2 (všetko v MHz).
Propertis_ConverterLNB_Label02=Konvertor
Propertis_ConverterLNB_Label03=LOF1
Propertis_ConverterLNB_Label04=LOF2
Propertis_ConverterLNB_Label05=ROZSAH
; TRANSPONDER LIST
Propertis_List_transponder_Title=Zoznam transpondérov
Propertis_List_transponder_Satellite=Satelit
Propertis_List_transponder_NoTransp=Pre vybraný satelit nie je žiadny transpondér
Propertis_List_transponder_Id=Id
Propertis_List_transponder_Frequency=Frekvencia
Propertis_List_transponder_Polarization=Polarizácia
Propertis_List_transponder_SymbolRate=Symbolová rýchlosť
Propertis_List_transponder_FecRate=FEC
Propertis_List_transponder_IQMode=Režim IQ
Propertis_List_transponder_Constellation=Konštelácia
Propertis_List_transponder_AddRemove=Pridať
Propertis_List_transponder_Remove=Odstrániť
Propertis_List_transponder_IsFull=Zoznam transpondérov je plný. Nie je miesto pre nový transpondér.
Propertis_List_transponder_EraseSelect=Odstrániť označené transpondéry?
Propertis_List_transponder_Existing=Zadaný transpondér už v zozname je
Propertis_List_transponder_ChangeParam=Zmena parametrov transpondéra
Propertis_List_transponder_AddNewTransp=Pridať nový transpondér
Propertis_TheSamePID=Zadané PID sa nesmú opakovať. Zadajte ich znova.
Propertis_ParametrNoCorrect=Nesprávne zadaný parameter
Propertis_Profiles_Hint=Profily PROFIL 01 až PROFIL 08 sa nastavujú v menu prijímača.
; TREE
TreeViewUnknow='neznámy'
TreeViewColStbSett=Nastavenie prijímača
TreeViewColSatellites=Satelity
TreeViewColClockAdjust=Nastavenie hodín
TreeViewColParentalLock=Rodičovský zámok
TreeViewColConverterLNB=Konvertory
TreeViewColListTransponder=Zoznam transpondérov
TreeViewMainList=HLAVNÝ ZOZNAM
TreeViewRecycle=KÔŠ
TreeViewProvider=OPERÁTOR
TreeViewSetting=NASTAVENIE
; CREATOR
Creator_Title=Sprievodca pripojením
Creator_Label_Connection=Pripojenie
Creator_Label_File=Súbor
Creator_Label_FileSize=Veľkosť súboru
Creator_Label_Packet=Paket
Creator_Label_Progress=Priebeh
Creator_Label_WhatDoNow=Čo teraz?
Creator_Label_PatchAccess=Prístupová cesta
Creator_Label_AutoOpenBaseData=Automaticky otvoriť databázu programov
Creator_Label_Btn_Previous=< &Späť
Creator_Label_Btn_Next=Ď&alej >
Creator_Label_Btn_Connect=&Pripojiť
Creator_Label_Btn_View=Prehľadávať ...
Creator_Label_Btn_Break=P&rerušiť
Creator_Msg_ConnectBreakUser=Pripojenie prerušil používateľ.
Creator_Msg_CantOpenComPort=Port sa nepodarilo otvoriť
Creator_Msg_SendCurrentBase=Odoslať aktuálnu databázu programov?
Creator_Msg_SendFileToReceiver=Odoslať súbor (*.dsp) do prijímača
Creator_Msg_ReceiveBaseDate=Prijať z prijímača iba kanály
Creator_Msg_ReceiveBaseDateAll=Prijať z prijímača všetky nastavenia?
Creator_Msg_FileBaseData=Databáza programov (*. dsp) | *. dsp
Creator_Msg_SelectFileToSend=Vyberte súbor na odoslanie
Creator_Msg_SelectFileToReceive=Zadajte názov súboru na prijatie
Creator_Msg_CreateConnection=Nadväzuje sa pripojenie.
Creator_Msg_SendingFile=Odosiela sa súbor...
Creator_Msg_CloseConnection=Pripojenie sa ukončuje.
Creator_Msg_EndOfConnection=Koniec pripojenia
Creator_Msg_ReceivingFile=Prijíma sa súbor...
Creator_Msg_Open=otvára sa...
Creator_TextS00=Odošle do prijímača aktuálnu databázu načítanú v editore
Creator_TextS01=Odošle do prijímača súbor (*.dsp) s novým softvérom, databázou programov alebo doplnkami
Creator_TextS02=Importuje databázu programov z prijímača do počítača; zadajte cestu, kam sa má súbor uložiť
Creator_SelectComPort=Vyberte port, ku ktorému je pripojený prijímač
Creator_SelectTypeOftransmission=Vyberte typ prenosu
Creator_SendFile=Odoslať súbor do prijímača
Creator_ReceiveFile=Prijať súbor z prijímača
Creator_NoInstallComPort=V systéme nie sú nainštalované žiadne porty. Prenos bol zrušený.
Creator_FileModified01=Databáza
Creator_FileModified02=bola zmenená. Uložiť zmeny pred odoslaním?
Creator_SaveChanged=Uložiť zmeny?
Creator_FileNoContainBase=Nie je načítaná žiadna databáza programov.
Creator_FileCantRead=Súbor sa nedá prečítať alebo má nesprávnu veľkosť.
Creator_FolderNoExiste=Zadaný priečinok neexistuje. Vytvoriť ho?
Creator_CantCreateFolder=Zadaný priečinok sa nedá vytvoriť.
Creator_NoEnoughSpace=Na pevnom disku nie je voľné miesto alebo ide o nesprávny typ disku.
Creator_Send=&Odoslať
Creator_Receive=&Prijať
Creator_Bytes=bajtov
Creator_ErrorTimeout=Čas vypršal: prijímač neodpovedá.
Creator_ErrorControlSum=Chyba kontrolného súčtu v prenesených údajoch.
Creator_ErrorEndOfConnectionCantCreate=Pripojenie skončilo: súbor sa nepodarilo vytvoriť.
; PREFERENCES
Pref_Title=Predvoľby
Pref_Ctr00=Všeobecné
Pref_Ctr01=Komunikácia
Pref_Ctr02=Inštalácia
Pref_CheckBox01=Nezobrazovať ikonu v oblasti oznámení, aplikáciu zatvoriť
Pref_CheckBox02=Viac ako jedna inštancia editora
Pref_CheckBox03=Zakázať presúvanie myšou
Pref_CheckBox04=Po spustení aplikácie nenačítavať súbor databázy
Pref_CheckBox05=Spúšťať program po prihlásení
Pref_Label01=Vyberte port
Pref_Btn01=Zaregistrovať príponu *.dsp
Pref_Btn02=Vytvoriť odkaz na program na pracovnej ploche
; IMAGE MANAGER
ImgManTitle=Správca obrázkov
ImgManEffectScale=Mierka
ImgManEffectScaleComprQuality=Kvalita kompresie
ImgManEffectScaleFullSize=Plná veľkosť
ImgManEffectScaleHalf=Polovica
ImgManEffectScaleQuarter=Štvrtina
ImgManEffectScaleEighth=Osmina
ImgManEffectGrayscale=Odtiene sivej
ImgManEffectErrorMessage=Úložisko obrázkov sa nepodarilo zapísať.
; ABOUT
About_MemoryAvail=Dostupná pamäť
About_MemoryUses=Použitá pamäť
; HINTS
HintTvRadio=TV / rozhlasové kanály
HintFtaCa=Voľné / kódované kanály
HintSort=Triedenie
HintListDestination=Triedenie
HintSystemsCode=Kódovacie systémy
HintLang=Jazyk
HintChannel=Kanál
HintOpeningBase=Otvára sa databáza
MsgDamagedRecords=záznamov kanálov je poškodených a nebudú uložené; súbor v súčasnej podobe sa pri prvom uložení zachová ako .BAK
MsgFileNotAFile=nie je súbor (je to priečinok, zariadenie alebo pomenovaná rúra) a zostáva nezmenený; zvoľte iný názov
MsgFileChangedOnDisk=sa od otvorenia zmenil na disku. Áno: uložiť cez neho. Nie: znova ho načítať z disku (zmeny urobené tu sa stratia). Zrušiť: uložiť pod iným názvom.
)LNG";

extern const std::string_view kSlovakProgramText = R"LNG(; LOG WINDOW
Log_Title=Záznam
Log_CopyAll=Kopírovať všetko
Log_WriteTo=Zapísať do
Log_DoubleClickHint=Dvojklik zapíše riadky do
Log_LinesWritten=riadkov zapísaných do
Log_WriteFailed=Záznam sa nepodarilo zapísať do
)LNG";

} // namespace cs::lang
