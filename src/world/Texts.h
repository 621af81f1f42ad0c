// Every text the player sees, in one place. UTF-8; the runs of blanks are part of the texts.
#pragma once

// Window
inline constexpr char WindowTitle[] = "tramolo Version 13 by morvel - use arrowkeys or w,s and mouse";
inline constexpr char WindowClassName[] = "TramoloRace";

// Centre messages
inline constexpr char TextWelcome[] = "Willkommen bei tramolo - Drücke ENTER für Start!";
inline constexpr char TextStart[] = "Start!";
inline constexpr char TextPressEnter[] = "Für Start ENTER drücken!";
inline constexpr char TextWrongDirection[] = "Bitte Strecke in Startrichtung befahren!";
inline constexpr char TextGameOver[] = "G A M E   O V E R  Actor No ";
inline constexpr char TextDizzy[] = "S ch w i n d e l g e f ü h l e !";

// Camera preset names, presets 0 to 4
inline constexpr const char* PresetNames[5] = {
    "Vogelperspektive",       "Räumliche Vogelperspektive", "Vogelperspektive Inverse",
    "Motorhaubenperspektive", "Räumlich hinterher",
};

// Head-up display: first line and key help
inline constexpr char HudFirstLine[] = "F1=Displaywechsel    Sek.=";
inline constexpr char HudKey[] = "   Taste=";
inline constexpr char HudFps[] = "   F/S=";
inline constexpr char HudPreset[] = "F2=Ansichtwechsel (momentan ";
inline constexpr char HudCameraMoving[] = "F3=Kameramoving Aus/Ein";
inline constexpr char HudAutoPreset[] = "F4=Auto-Ansichtwechsel-DEMO Ein/Aus";
inline constexpr char HudLineMode[] = "F5=Check-Line-Mode Ein/Aus";
inline constexpr char HudActorChange[] = "F6=Actorwechsel (momentan No ";

// Head-up display: driving figures
inline constexpr char HudLap[] = "Runde ";
inline constexpr char HudSteering[] = "      Lenkungswinkel ";
inline constexpr char HudDistance[] = "Weg: ";
inline constexpr char HudDistanceIn[] = " m in ";
inline constexpr char HudSecondsUnit[] = " Sekunden";
inline constexpr char HudEnergy[] = "Kinetische Energie kilo: ";
inline constexpr char HudResistance[] = "Fahrwiderstand: ";
inline constexpr char HudNewton[] = " N";
inline constexpr char HudSlide[] = "Rutschen in Kurve (";
inline constexpr char HudRadius[] = "Radius Kurve: ";
inline constexpr char HudMetre[] = " m";
inline constexpr char HudTip[] = "Kipp-Speed: ";
inline constexpr char HudKmh[] = " km/h";
inline constexpr char HudCentrifugal[] = "Fliehkraft Kurve: ";
inline constexpr char HudSpeed[] = "Speed: ";
inline constexpr char HudMarker[] = "O";
inline constexpr char HudCentreMark[] = "^ ";

// Head-up display: position and camera
inline constexpr char HudActorNo[] = "ActorNo=";
inline constexpr char HudActorWorld[] = "   Actor X,Y in Welt=";
inline constexpr char HudActorSpeed[] = "   Speed=";
inline constexpr char HudActorCell[] = "Actor X,Y im Quadranten ";
inline constexpr char HudActorTurn[] = "ACTOR DREHUNG UM X,Y,Z = ";
inline constexpr char HudWheels[] = "Winkel Räder = ";
inline constexpr char HudBody[] = "   Winkel Karosserie = ";
inline constexpr char HudDifference[] = "    Differenz = ";
inline constexpr char HudCameraTurn[] = "CAMERA DREHUNG um x,y,z = ";
inline constexpr char HudCameraPos[] = "CAMERA POS X,Y,Z  = ";
inline constexpr char HudCameraDelay[] = "CAMERA DELAY X[4,8]  Y[8,2]  Z[+,-] = ";
inline constexpr char HudEyeDistance[] = "     AUGENABSTAND[1,7]=";

// Head-up display: race warnings
inline constexpr char HudStayOnRoad[] = "A U F   F A H R B A H N   B L E I B E N!";
inline constexpr char HudFinish[] = "F I N I S H !";
inline constexpr char HudCheckpoint[] = "C H E C K P O I N T !";

// The records view (F7): the line in the display's bottom-left corner, "Runde 3  1:02.37  Letzte 1:01.90
// Beste 0:59.84 (+2.06)"; "Geist" names the time of someone else's ghost raced in place of one's best.
inline constexpr char RecordsLap[] = "Runde ";
inline constexpr char RecordsLast[] = "Letzte ";
inline constexpr char RecordsBest[] = "Beste ";
inline constexpr char RecordsGhost[] = "Geist ";
inline constexpr char RecordsNoTime[] = "-:--.--";
