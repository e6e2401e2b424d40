{ The Free Pascal host of docs/languages.md, which shows all but this line. }
program host;
{$mode delphi}

const
  tavik = {$ifdef MSWINDOWS} 'libtavik.dll' {$else} 'tavik' {$endif};

{ cdecl: Delphi's and Free Pascal's default is register. Single is the C float. }
procedure print_progress_bar(start, stop: Single); cdecl; external tavik;

begin
  Write('before:');
  Flush(Output); { Pascal's own buffer first, or the bars overtake it }
  print_progress_bar(1, 2);
  print_progress_bar(3, 2);
  WriteLn; { the last bar ends in #13: end its line }
  WriteLn('after');
end.
